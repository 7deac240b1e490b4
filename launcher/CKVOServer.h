#pragma once
// The launcher's workers on its own pool, data queues and log: the start-up starter, the
// presence poller (producer of data queue 0) and the presence consumer, which starts the main
// program when a receiver appears and refreshes the log-on entry.

#include "CMainProgram.h"

#include <mutex>
#include <string>
#include <thread>

class CKVOServer {
public:
    static constexpr int kStartDelayMs = 3000;
    static constexpr int kPollPeriodMs = 1000;
    static constexpr int kStartAttempts = 10;
    static constexpr int kAttemptPauseMs = 200;

    // `launcherPath` is the running launcher's full path: its folder holds the main program.
    explicit CKVOServer(std::string launcherPath);
    ~CKVOServer();
    CKVOServer(const CKVOServer&) = delete;
    CKVOServer& operator=(const CKVOServer&) = delete;

    // Creates the pool and the data queues, starts the log writer on "ServerLog.log" and
    // "ServerLogBack.log" (beside the launcher, or in the user's state folder when the launcher's
    // folder is not writable), and then `threads` (all of them by default). 0 success, else the pool's
    // or the queues' code, with nothing left created.
    enum Threads : unsigned { kStarter = 1, kPoller = 2, kConsumer = 4, kAll = 7 };
    int Start(unsigned threads = kAll);
    // Ends and joins the workers, gives back the queued messages, writes the last log lines and
    // frees the queues and the pool. Safe to call more than once.
    void Stop();

    // One pass of the poller: tests presence and, when it changed, logs it and queues a presence
    // message. A message that finds no pool node is given up without noting the new state, so
    // the next pass tries again. True when a message was queued.
    bool PollOnce();

    std::string CurrentLogPath() const;
    std::string BackupLogPath() const;

private:
    void ThreadStartApp();
    void ThreadFindHIDFunc();
    void ThreadInitKVOServer();
    // Up to kStartAttempts starts, kAttemptPauseMs apart, while the main program is not running.
    void StartAttempts(bool fromConsumer);

    std::string m_launcherPath;
    std::string m_folder;
    std::string m_logFolder;
    CMainProgram m_program;
    std::mutex m_startLock;  // the starter and the consumer never start the program together
    bool m_present = false;  // the poller's last state
    bool m_started = false;
    std::thread m_starter;
    std::thread m_poller;
    std::thread m_consumer;
};

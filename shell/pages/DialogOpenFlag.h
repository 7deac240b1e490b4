#pragma once
// The settings window's modal dialogs while they are open. The settings object's dialog-open
// flag is 1 while any of them lives and cleared when the last one ends, however it ends. Ending
// the program waits for them: it closes them and goes on only once their callers, which still
// hold the pages on their stack, have returned. UI thread.

#include <functional>

class CWindowWnd;

class DialogOpenFlag {
public:
    explicit DialogOpenFlag(CWindowWnd& dialog);
    ~DialogOpenFlag();
    DialogOpenFlag(const DialogOpenFlag&) = delete;
    DialogOpenFlag& operator=(const DialogOpenFlag&) = delete;

    static bool AnyOpen();
    // Closes every open dialog as cancelled and runs `then` from the event loop once the last
    // one has gone; at once (from the event loop as well) when none is open.
    static void CloseAllThen(std::function<void()> then);

private:
    CWindowWnd& m_dialog;
};

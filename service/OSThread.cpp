#include "OSThread.h"

#include "ObjectManager.h"

OSThread::OSThread(std::string name) : m_name(name.empty() ? std::string("KVO_Thread") : std::move(name)) {}

OSThread::~OSThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void OSThread::Start()
{
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
}

void OSThread::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void OSThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StopWorker(OSThread* thread, ObjectManager& queue)
{
    if (thread == nullptr || !thread->IsStarted())
        return;
    queue.offerExitObj();
    thread->Join();
    thread->Stop();
}

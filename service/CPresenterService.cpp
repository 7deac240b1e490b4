#include "CPresenterService.h"

#include "Clock.h"

#include <memory>
#include <mutex>

namespace {

std::mutex g_serviceLock;
std::unique_ptr<CPresenterService> g_service;

} // namespace

CPresenterService::CPresenterService() : m_lastOpenTime(platform::GetTickCount()) {}

CPresenterService::~CPresenterService() { StopRepeatWorker(); }

CPresenterService& CPresenterService::GetInstance()
{
    std::lock_guard lock(g_serviceLock);
    if (!g_service)
        g_service.reset(new CPresenterService());
    return *g_service;
}

void CPresenterService::DestroyInstance()
{
    std::unique_ptr<CPresenterService> service;
    {
        std::lock_guard lock(g_serviceLock);
        service = std::move(g_service);
    }
}

void CPresenterService::SetManagers(FunctionMgr* functionMgr, DeviceMgr* deviceMgr)
{
    m_pFunctionMgr = functionMgr;
    m_pDeviceMgr = deviceMgr;
}

void CPresenterService::StopRepeatWorker()
{
    m_repeatRunning = false;
    if (m_repeatThread.joinable())
        m_repeatThread.join();
}

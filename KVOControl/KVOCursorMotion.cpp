#include "KVOCursorMotion.h"

#include "ControllerSet.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOReportDecoder.h"
#include "ObjectManager.h"

#include <atomic>

namespace {

std::atomic<IKVOKeyHandler*> g_keyHandler{nullptr};

void Dispatch(const cmdInfo& record, int devType)
{
    IKVOKeyHandler* handler = g_keyHandler.load();
    if (handler == nullptr || record.dataLength < KVO_REPORT_BYTES)
        return;
    const KVOMotionEvent event = MotionEventFromReport(reinterpret_cast<const uint8_t*>(record.data.get()));
    if (devType == KVO_PRESENTER)
        handler->DealWithPresenterKeyValue(event.key, event.dx, event.dy);
    else if (devType == KVO_WIRLESS_MOUSE)
        handler->DealWithMouseKeyValue(event.key, event.button, event.dx, event.dy);
    // A wired mouse moves the system cursor itself; its reports only keep the link alive.
}

} // namespace

KVOMotionEvent MotionEventFromReport(const uint8_t* report)
{
    KVOMotionEvent event;
    event.key = report[KVO_REPORT_KEY];
    event.button = report[KVO_REPORT_BUTTON];
    event.dx = static_cast<int8_t>(report[KVO_REPORT_DX]);
    event.dy = static_cast<int8_t>(report[KVO_REPORT_DY]);
    return event;
}

void SetKVOKeyHandler(IKVOKeyHandler* handler) { g_keyHandler = handler; }

void RunMoveLoop(ObjectManager& movePosQueue)
{
    while (g_bLinkRunning.load()) {
        cmdInfo* record = movePosQueue.takeObj();
        if (record == nullptr) {
            WriteLog(KVO_LOG_ERROR, "ThreadMoveThread() continue by: (p_MemNode == NULL)");
            continue;
        }
        if (record->exit_tag == 1) {
            movePosQueue.releaseObj(record);
            WriteLog(KVO_LOG_ERROR, "ThreadMoveThread() break, because: (1 == p_MemNode->exit_tag).");
            return;
        }
        DeviceMgr* deviceMgr = ExistingDeviceMgr();
        if (deviceMgr == nullptr) {
            movePosQueue.releaseObj(record);
            WriteLog(KVO_LOG_ERROR, "ThreadMoveThread() continue by: (pDevMgr == NULL)");
            continue;
        }
        if (deviceMgr->GetStatus() == DEVICE_STATUS_CONNECTED)
            Dispatch(*record, deviceMgr->GetDevType());
        movePosQueue.releaseObj(record);
    }
}

void ThreadMoveThread() { RunMoveLoop(MovePosQueue()); }

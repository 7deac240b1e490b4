#include "MagnifierWindows.h"

#include "KVOLog.h"
#include "MagnifierLens.h"
#include "Zoom_UI.h"

#include <memory>

namespace {

std::unique_ptr<MagnifierLens> g_pZoomLens;
std::unique_ptr<Zoom_UI> g_pZoomUI;

} // namespace

MagnifierLens* Zoom_CreatWindow()
{
    if (g_pZoomLens)
        return g_pZoomLens.get();
    WriteLog(KVO_LOG_INFO, "Zoom_CreatWindow Begin");
    WriteLog(KVO_LOG_INFO, "Zoom_CreatWindow Init Zoom Windows");
    g_pZoomLens = std::make_unique<MagnifierLens>();
    WriteLog(KVO_LOG_INFO, "Zoom WM_INITDIALOG");
    WriteLog(KVO_LOG_INFO, "Zoom_CreatWindow End");
    return g_pZoomLens.get();
}

MagnifierLens* GetZoomLens() { return g_pZoomLens.get(); }

Zoom_UI* CreateZoomUI()
{
    if (g_pZoomUI)
        return g_pZoomUI.get();
    auto dim = std::make_unique<Zoom_UI>();
    if (!dim->Build())
        return nullptr;
    g_pZoomUI = std::move(dim);
    return g_pZoomUI.get();
}

Zoom_UI* GetZoomUI() { return g_pZoomUI.get(); }

void FreeMagnifierWindows()
{
    if (g_pZoomLens) {
        WriteLog(KVO_LOG_INFO, "Zoom WM_DESTROY");
        g_pZoomLens.reset();
    }
    if (g_pZoomUI) {
        g_pZoomUI->CloseProcedure();
        g_pZoomUI.reset();
    }
}

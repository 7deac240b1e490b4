// Skin library costs: reading attribute lists (applied on every page switch), reading a
// settings-window-sized skin, and building a window from it (start-up).

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "AttributeList.h"
#include "SkinXmlParser.h"
#include "UIlib.h"

namespace {

std::string BigSkin(int rows)
{
    std::string xml = "<Window size=\"880,620\" caption=\"0,0,0,50\"><Font id=\"0\" size=\"13\" default=\"true\"/>"
                      "<Container name=\"windowbackground\" bkcolor=\"#FF1B1F2A\"><VerticalLayout inset=\"10,10,10,10\">";
    for (int i = 0; i < rows; ++i) {
        const std::string n = std::to_string(i);
        xml += "<HorizontalLayout height=\"30\" childpadding=\"4\">"
               "<Label name=\"text" + n + "\" text=\"Row " + n + "\" textcolor=\"#FFFFFFFF\" align=\"left\"/>"
               "<Button name=\"btn" + n + "\" width=\"40\" normalimage=\"file='button\\b.png' source='0,0,20,20'\"/>"
               "<Slider name=\"sl" + n + "\" width=\"120\" min=\"0\" max=\"100\" value=\"50\" thumbsize=\"10,20\"/>"
               "</HorizontalLayout>";
    }
    return xml + "</VerticalLayout></Container></Window>";
}

const char* const kList =
    "normalimage=\"file='button\\FunctionSet\\on.png' source='0,0,46,26'\" hotimage=\"file='button\\FunctionSet\\on_hot.png'\" "
    "textcolor=\"#FF333333\" hottextcolor=\"#FF00AAFF\" pos=\"778,185,824,211\" font=\"1\" align=\"center\" visible=\"true\"";

void BM_ParseAttributeList(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(skin::ParseAttributeList(kList));
}
BENCHMARK(BM_ParseAttributeList);

void BM_ParseSkinXml(benchmark::State& state)
{
    const std::string xml = BigSkin(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(skin::ParseSkinXml(xml));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(xml.size()));
}
BENCHMARK(BM_ParseSkinXml)->Arg(20)->Arg(100);

class CBenchWindow : public WindowImplBase {
public:
    using WindowImplBase::WindowImplBase;
};

void BM_CreateWindowFromSkin(benchmark::State& state)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orvelle-bench-skin-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Bench.xml") << BigSkin(static_cast<int>(state.range(0)));
    CPaintManagerUI::SetResourcePath(dir.string().c_str());
    for (auto _ : state) {
        CBenchWindow window("Bench.xml");
        if (window.Create(nullptr, "bench", WS_POPUP, 0) == nullptr) {
            state.SkipWithError("skin did not load");
            break;
        }
        benchmark::DoNotOptimize(window.GetPaintManager().FindControl("sl0"));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CreateWindowFromSkin)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_ApplyAttributeList(benchmark::State& state)
{
    CButtonUI button;
    for (auto _ : state)
        button.ApplyAttributeList(kList);
}
BENCHMARK(BM_ApplyAttributeList);

} // namespace

int main(int argc, char** argv)
{
    // Widgets need a platform; benchmarks never need a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

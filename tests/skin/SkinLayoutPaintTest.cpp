// Containers changed at run time, nine-patch pictures and bar directions.

#include <QImage>
#include <QLineEdit>
#include <QWheelEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "QtAppEnvironment.h"
#include "UIlib.h"

namespace {

QImage Render(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

std::unique_ptr<CControlUI> Sized(int w, int h)
{
    auto c = std::make_unique<CControlUI>();
    c->SetFixedWidth(w);
    c->SetFixedHeight(h);
    return c;
}

} // namespace

TEST(SkinLayoutTest, ChildrenAddedAndRemovedAtRunTime)
{
    CVerticalLayoutUI column;
    column.resize(100, 100);
    column.show();
    auto first = Sized(0, 30);
    CControlUI* a = first.get();
    ASSERT_TRUE(column.Add(first.release()));
    EXPECT_FALSE(column.Add(nullptr));
    EXPECT_FALSE(column.Add(a)); // already there
    auto second = std::make_unique<CControlUI>();
    CControlUI* b = second.get();
    ASSERT_TRUE(column.AddAt(second.release(), 0));
    EXPECT_TRUE(b->isVisible()); // added to a shown container: shown
    EXPECT_EQ(b->geometry(), QRect(0, 0, 100, 70));
    EXPECT_EQ(a->geometry(), QRect(0, 70, 100, 30));

    // A child deleted behind the container's back leaves the layout.
    std::unique_ptr<CControlUI> gone(b);
    gone.reset();
    EXPECT_EQ(column.GetCount(), 1);
    column.SetInset(RECT{5, 5, 5, 5});
    EXPECT_EQ(a->geometry(), QRect(5, 5, 90, 30));

    EXPECT_TRUE(column.Remove(a));
    EXPECT_FALSE(column.Remove(a));
    EXPECT_EQ(column.GetCount(), 0);
}

TEST(SkinLayoutTest, RowHonoursFixedHeightsAndPaddingAcrossTheRow)
{
    CHorizontalLayoutUI row;
    row.resize(200, 50);
    auto fixed = Sized(40, 20);
    CControlUI* f = fixed.get();
    auto padded = std::make_unique<CControlUI>();
    CControlUI* p = padded.get();
    padded->SetPadding(RECT{4, 6, 8, 10});
    row.Add(fixed.release());
    row.Add(padded.release());
    row.SetChildPadding(3);
    EXPECT_EQ(f->geometry(), QRect(0, 0, 40, 20));
    // 200 - 40 - 3 - 4 - 8 = 145 wide, 50 - 6 - 10 = 34 high.
    EXPECT_EQ(p->geometry(), QRect(47, 6, 145, 34));
    p->SetFloat(true); // floats leave the flow
    EXPECT_EQ(row.GetItemAt(0)->geometry(), QRect(0, 0, 40, 20));
}

TEST(SkinPaintTest, NinePatchKeepsCornersAndHoleLeavesTheMiddle)
{
    SkinFolder folder;
    // 30x30: a 5-pixel red frame around a blue middle.
    QImage picture(30, 30, QImage::Format_ARGB32);
    picture.fill(QColor(255, 0, 0));
    for (int y = 5; y < 25; ++y)
        for (int x = 5; x < 25; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    std::filesystem::create_directories(folder.path() / "Setting");
    ASSERT_TRUE(picture.save(QString::fromStdString((folder.path() / "Setting" / "bk.png").string())));

    CControlUI control;
    control.resize(120, 40);
    control.SetBkColor(0xFF00FF00);
    control.SetBkImage("file='Setting\\bk.png' corner='5,5,5,5'");
    QImage out = Render(&control);
    EXPECT_EQ(out.pixel(2, 20), qRgb(255, 0, 0));   // left edge stays 5 wide
    EXPECT_EQ(out.pixel(7, 20), qRgb(0, 0, 255));   // ...and the middle starts right after it
    EXPECT_EQ(out.pixel(117, 38), qRgb(255, 0, 0)); // bottom-right corner
    EXPECT_EQ(out.pixel(60, 20), qRgb(0, 0, 255));

    control.SetBkImage("file='Setting\\bk.png' corner='5,5,5,5' hole='true'");
    out = Render(&control);
    EXPECT_EQ(out.pixel(60, 20), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(60, 2), qRgb(255, 0, 0));
}

TEST(SkinPaintTest, VerticalBarsFillFromTheBottom)
{
    CProgressUI bar;
    bar.resize(10, 100);
    bar.ApplyAttributeList("hor=\"false\" bkcolor=\"#FF000000\" forecolor=\"#FFFFFFFF\" max=\"10\" value=\"3\"");
    const QImage out = Render(&bar);
    EXPECT_EQ(out.pixel(5, 95), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(5, 60), qRgb(0, 0, 0));
}

TEST(SkinControlInputTest, SliderTrackClicksAndWheelReportOnce)
{
    CPaintManagerUI manager;
    struct : INotifyUI {
        std::vector<std::string> types;
        void Notify(TNotifyUI& msg) override { types.push_back(msg.sType.str()); }
    } recorder;
    manager.AddNotifier(&recorder);
    CSliderUI slider;
    slider.SetManager(&manager);
    slider.resize(110, 20);
    slider.ApplyAttributeList("min=\"0\" max=\"10\" value=\"0\" thumbsize=\"10,20\" step=\"2\"");
    slider.show();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(85, 10)); // 80 of 100 -> 8
    EXPECT_EQ(slider.GetValue(), 8);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&slider, &wheel);
    EXPECT_EQ(slider.GetValue(), 10);
    QCoreApplication::sendEvent(&slider, &wheel); // already at the end: nothing to report
    EXPECT_EQ(recorder.types, (std::vector<std::string>{"valuechanged", "valuechanged"}));
}

TEST(SkinControlInputTest, EditReportsOnlyTheUsersChanges)
{
    CPaintManagerUI manager;
    int changes = 0;
    struct Counter : INotifyUI {
        int* n;
        void Notify(TNotifyUI& msg) override { *n += msg.sType == DUI_MSGTYPE_TEXTCHANGED ? 1 : 0; }
    } counter;
    counter.n = &changes;
    manager.AddNotifier(&counter);
    CEditUI edit;
    edit.SetManager(&manager);
    edit.resize(100, 24);
    edit.SetText("from code");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit.GetText(), "from code");
    QTest::keyClick(edit.LineEdit(), Qt::Key_End);
    QTest::keyClicks(edit.LineEdit(), "!");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.GetText(), "from code!");
}

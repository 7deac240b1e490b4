// Controls on their own: attributes, painting, input and the notifications they send.

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "QtAppEnvironment.h"
#include "UIlib.h"

namespace {

struct Recorder : INotifyUI {
    struct Entry {
        std::string type;
        CControlUI* sender;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Entry> seen;
    void Notify(TNotifyUI& msg) override { seen.push_back({msg.sType.str(), msg.pSender, msg.wParam, msg.lParam}); }
    std::vector<std::string> Types() const
    {
        std::vector<std::string> out;
        for (const Entry& e : seen)
            out.push_back(e.type);
        return out;
    }
};

// A standalone control tree under a plain parent widget, with a manager that reports to a recorder.
class ControlTest : public ::testing::Test {
protected:
    ControlTest()
    {
        m_manager.AddNotifier(&m_recorder);
        m_parent.resize(200, 100);
    }

    template <class T>
    T* Make(QRect geometry = QRect(0, 0, 100, 30))
    {
        auto control = std::make_unique<T>(&m_parent);
        control->SetManager(&m_manager);
        control->setGeometry(geometry);
        return control.release(); // m_parent's child
    }

    QImage Render(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    SkinFolder m_folder;
    CPaintManagerUI m_manager;
    Recorder m_recorder;
    QWidget m_parent;
};

} // namespace

TEST_F(ControlTest, AttributeListSetsLookTextAndPlace)
{
    auto* button = Make<CButtonUI>();
    button->ApplyAttributeList(
        "name=\"Bnt_Ok\" normalimage=\"file='button\\Select.png' source='0,0,20,20'\" hotimage=\"button\\Hot.png\" "
        "textcolor=\"#FF333333\" hottextcolor=\"0xFF00FF00\" pos=\"10,10,90,40\" text=\"Go\" tooltip=\"tip\" "
        "bkcolor=\"#112233\" bordersize=\"2\" bordercolor=\"#FF0000FF\" borderround=\"6,6\" visible=\"false\" "
        "unknownattr=\"x\"");
    EXPECT_EQ(button->GetName(), "Bnt_Ok");
    EXPECT_EQ(button->objectName(), QString("Bnt_Ok"));
    EXPECT_EQ(button->GetNormalImage(), "file='button\\Select.png' source='0,0,20,20'");
    EXPECT_EQ(button->GetHotImage(), "button\\Hot.png");
    EXPECT_EQ(button->GetTextColor(), 0xFF333333u);
    EXPECT_EQ(button->GetHotTextColor(), 0xFF00FF00u);
    EXPECT_EQ(button->GetBkColor(), 0xFF112233u);
    EXPECT_EQ(button->GetBorderSize(), 2);
    EXPECT_EQ(button->GetBorderColor(), 0xFF0000FFu);
    EXPECT_EQ(button->GetBorderRound(), (SIZE{6, 6}));
    EXPECT_EQ(button->GetText(), "Go");
    EXPECT_EQ(button->GetToolTip(), "tip");
    EXPECT_FALSE(button->IsVisible());
    EXPECT_EQ(button->GetPos(), (RECT{10, 10, 90, 40}));
    EXPECT_EQ(button->GetFixedWidth(), 80);
    EXPECT_EQ(button->GetFixedHeight(), 30);

    // A malformed tail keeps what came before it and changes nothing else.
    button->ApplyAttributeList("text=\"Again\" textcolor=#FF000000 bkcolor=\"#FF445566\"");
    EXPECT_EQ(button->GetText(), "Again");
    EXPECT_EQ(button->GetTextColor(), 0xFF333333u);
    EXPECT_EQ(button->GetBkColor(), 0xFF112233u);
    // Values that do not parse leave the property alone.
    button->ApplyAttributeList("bkcolor=\"#ZZ\" pos=\"a,b\" visible=\"maybe\"");
    EXPECT_EQ(button->GetBkColor(), 0xFF112233u);
    EXPECT_EQ(button->GetPos(), (RECT{10, 10, 90, 40}));
    EXPECT_FALSE(button->IsVisible());
}

TEST_F(ControlTest, PaintsImagesFromTheResourceFolderWithBackslashPaths)
{
    // Left half red, right half blue: the source rectangle picks the blue half.
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(QColor(255, 0, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 20; x < 40; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    std::filesystem::create_directories(m_folder.path() / "button");
    ASSERT_TRUE(picture.save(QString::fromStdString((m_folder.path() / "button" / "Select.png").string())));

    auto* control = Make<CControlUI>(QRect(0, 0, 40, 40));
    control->SetBkColor(0xFF00FF00);
    control->SetNormalImage("file='button\\Select.png' source='20,0,40,20' dest='0,0,20,20'");
    const QImage out = Render(control);
    EXPECT_EQ(out.pixel(5, 5), qRgb(0, 0, 255));        // the image's blue half, in dest
    EXPECT_EQ(out.pixel(30, 30), qRgb(0, 255, 0));      // background colour outside dest

    // A bare path with backslashes, stretched over the whole control.
    control->SetNormalImage("button\\Select.png");
    const QImage whole = Render(control);
    EXPECT_EQ(whole.pixel(5, 20), qRgb(255, 0, 0));
    EXPECT_EQ(whole.pixel(35, 20), qRgb(0, 0, 255));

    // A missing picture draws nothing and does not break the rest of the painting.
    control->SetNormalImage("file='button\\Missing.png'");
    EXPECT_EQ(Render(control).pixel(5, 5), qRgb(0, 255, 0));
}

TEST_F(ControlTest, LabelTextColourAndAlignment)
{
    auto* label = Make<CLabelUI>(QRect(0, 0, 120, 30));
    label->ApplyAttributeList("bkcolor=\"#FF000000\" textcolor=\"#FFFFFF\" align=\"right\" text=\"WWW\"");
    QImage out = Render(label);
    auto whiteInColumns = [&out](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = 0; y < out.height(); ++y)
                if (qRed(out.pixel(x, y)) > 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(whiteInColumns(60, 120));
    EXPECT_FALSE(whiteInColumns(0, 40));
    // A colour given without alpha (as window code often does) still draws.
    label->SetTextColor(0x00FFFFFF);
    label->SetAttribute("align", "left");
    out = Render(label);
    EXPECT_TRUE(whiteInColumns(0, 40));
    EXPECT_FALSE(whiteInColumns(80, 120));
}

TEST_F(ControlTest, ButtonClickSendsClickOnlyWhenReleasedInside)
{
    auto* button = Make<CButtonUI>();
    button->SetName("closebtn");
    m_parent.show();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(m_recorder.seen.size(), 1u);
    EXPECT_EQ(m_recorder.seen[0].type, "click");
    EXPECT_EQ(m_recorder.seen[0].sender, button);

    // Pressed inside, released outside: no click.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(button, QPoint(150, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(m_recorder.seen.size(), 1u);

    button->SetEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_recorder.seen.size(), 1u);
}

TEST_F(ControlTest, SliderReportsMovesWhileDraggingAndTheValueAtRelease)
{
    auto* slider = Make<CSliderUI>(QRect(0, 0, 110, 20));
    slider->ApplyAttributeList("min=\"0\" max=\"100\" value=\"0\" thumbsize=\"10,20\"");
    m_parent.show();
    EXPECT_EQ(slider->GetValue(), 0);
    // Thumb at the left end; drag it to the middle and on to the right end.
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(5, 10));
    QMouseEvent move1(QEvent::MouseMove, QPointF(55, 10), QPointF(55, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &move1);
    EXPECT_EQ(slider->GetValue(), 50);
    QMouseEvent move2(QEvent::MouseMove, QPointF(200, 10), QPointF(200, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &move2);
    EXPECT_EQ(slider->GetValue(), 100);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(m_recorder.Types(), (std::vector<std::string>{"movevaluechanged", "movevaluechanged", "valuechanged"}));
    EXPECT_EQ(m_recorder.seen.back().sender, slider);

    // Setting the value from code is silent and clamped.
    slider->SetValue(250);
    EXPECT_EQ(slider->GetValue(), 100);
    slider->SetMaxValue(40);
    EXPECT_EQ(slider->GetValue(), 40);
    EXPECT_EQ(m_recorder.seen.size(), 3u);
}

TEST_F(ControlTest, ProgressFillsThePartOfItsValue)
{
    auto* progress = Make<CProgressUI>(QRect(0, 0, 100, 10));
    progress->ApplyAttributeList("bkcolor=\"#FF000000\" forecolor=\"#FFFFFFFF\" min=\"0\" max=\"4\" value=\"1\"");
    const QImage out = Render(progress);
    EXPECT_EQ(out.pixel(10, 5), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(60, 5), qRgb(0, 0, 0));
    progress->SetMinValue(10); // value follows the range
    EXPECT_EQ(progress->GetValue(), 10);
    EXPECT_EQ(progress->GetMaxValue(), 10);
}

TEST_F(ControlTest, ComboSelectsItemsAndReportsTheChangeOnce)
{
    auto* combo = Make<CComboUI>();
    combo->SetName("HotKey_Combox");
    combo->AddString("F5");
    combo->AddString("F6");
    auto item = std::make_unique<CListLabelElementUI>();
    item->ApplyAttributeList("name=\"third\" text=\"F7\"");
    combo->Add(item.release());
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_TRUE(combo->GetText().IsEmpty());

    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "F7");
    EXPECT_TRUE(combo->SelectItem(2)); // same entry: no second notification
    EXPECT_FALSE(combo->SelectItem(3));
    EXPECT_FALSE(combo->SelectItem(-1));
    ASSERT_EQ(m_recorder.seen.size(), 1u);
    EXPECT_EQ(m_recorder.seen[0].type, "itemselect");
    EXPECT_EQ(m_recorder.seen[0].sender, combo);
    EXPECT_EQ(m_recorder.seen[0].wParam, 2u);
    EXPECT_EQ(m_recorder.seen[0].lParam, -1);
    EXPECT_EQ(combo->GetItemAt(1)->GetText(), "F6");

    EXPECT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "F7");
}

TEST_F(ControlTest, EditReportsTextChangesAndFocus)
{
    auto* edit = Make<CEditUI>();
    auto* other = Make<CButtonUI>(QRect(0, 50, 100, 30));
    other->setFocusPolicy(Qt::StrongFocus);
    edit->ApplyAttributeList("readonly=\"true\" maxchar=\"5\" tipvalue=\"name\" text=\"ab\"");
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_EQ(edit->GetMaxChar(), 5);
    EXPECT_EQ(edit->GetTipValue(), "name");
    EXPECT_EQ(edit->GetText(), "ab");
    m_recorder.seen.clear();

    edit->SetReadOnly(false);
    m_parent.show();
    m_parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_parent));
    edit->SetFocus();
    QTest::keyClicks(edit->LineEdit(), "cdefg");
    EXPECT_EQ(edit->GetText(), "abcde"); // maxchar
    other->SetFocus();
    const auto types = m_recorder.Types();
    ASSERT_GE(types.size(), 5u);
    EXPECT_EQ(types.front(), "setfocus");
    EXPECT_EQ(types.back(), "killfocus");
    EXPECT_EQ(std::count(types.begin(), types.end(), "textchanged"), 3);
    for (const auto& e : m_recorder.seen)
        EXPECT_EQ(e.sender, edit);

    edit->SetText("hello");
    edit->SetSel(1, 3);
    EXPECT_EQ(edit->LineEdit()->selectedText(), QString("el"));
    edit->SetSel(2, -1);
    EXPECT_EQ(edit->LineEdit()->selectedText(), QString("llo"));
    edit->SetSel(-7, 99); // clamped, no crash
    EXPECT_EQ(edit->LineEdit()->selectedText(), QString("hello"));
}

TEST_F(ControlTest, GroupedOptionsAreExclusive)
{
    auto* a = Make<COptionUI>();
    auto* b = Make<COptionUI>(QRect(0, 40, 100, 30));
    a->ApplyAttributeList("group=\"g\" selected=\"true\"");
    b->ApplyAttributeList("group=\"g\"");
    m_parent.show();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    EXPECT_EQ(m_recorder.Types(), (std::vector<std::string>{"selectchanged", "selectchanged", "click"}));
}

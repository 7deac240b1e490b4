#include "SkinImageGenerator.h"

#include "SkinPalette.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>

using namespace SkinPalette;

namespace {

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Prepare(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QColor WithAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

// A rounded rectangle filling the canvas, optionally outlined. Pictures drawn like this are
// stretched by the skin with a corner of at least `radius`.
QImage RoundedBox(int width, int height, double radius, const QColor& fill, const QColor& border = Qt::transparent,
                  double borderWidth = 1.0)
{
    QImage image = Canvas(width, height);
    QPainter painter(&image);
    Prepare(painter);
    const double inset = border.alpha() ? borderWidth / 2.0 : 0.0;
    QRectF box(inset, inset, width - 2 * inset, height - 2 * inset);
    painter.setPen(border.alpha() ? QPen(border, borderWidth) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);
    return image;
}

QPen RoundPen(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Chevron(QPainter& painter, QPointF centre, double half, bool up, const QColor& colour, double width)
{
    painter.setPen(RoundPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    const double dy = up ? -half / 2 : half / 2;
    QPainterPath path;
    path.moveTo(centre.x() - half, centre.y() - dy);
    path.lineTo(centre.x(), centre.y() + dy);
    path.lineTo(centre.x() + half, centre.y() - dy);
    painter.drawPath(path);
}

void Check(QPainter& painter, QRectF box, const QColor& colour, double width)
{
    painter.setPen(RoundPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
    path.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
    path.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.30);
    painter.drawPath(path);
}

struct NamedColour {
    const char* name;
    QColor colour;
};

// The background colours a blank screen can take, in the order of its colour numbers.
constexpr std::array<QRgb, 10> kBlankScreenColours = {0xFF000000, 0xFFFFFFFF, 0xFFDF2116, 0xFFDF8A3B, 0xFF0A17BA,
                                                      0xFF3178DF, 0xFFF323C7, 0xFF50A6BE, 0xFF7D7360, 0xFFCCFF00};

// Black or white, whichever reads better on the given colour.
QColor ContrastOn(const QColor& colour)
{
    const double luma = 0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue();
    return luma > 150 ? QColor(0x1B, 0x1F, 0x2A) : QColor(Qt::white);
}

// A mock presentation slide used behind the spotlight and magnifier previews.
void PaintSlide(QPainter& painter, const QRectF& area, bool detailed)
{
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0.0, QColor(0xF4, 0xF7, 0xFC));
    sky.setColorAt(1.0, QColor(0xDD, 0xE6, 0xF5));
    painter.fillRect(area, sky);

    painter.fillRect(QRectF(area.left(), area.top(), area.width(), 34), QColor(0x2B, 0x4C, 0x8C));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(16);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(area.left() + 18, area.top(), area.width() - 36, 34), Qt::AlignVCenter | Qt::AlignLeft,
                     detailed ? QStringLiteral("Quarterly results") : QStringLiteral("Project overview"));

    // Bullet lines on the left.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const double y = area.top() + 56 + i * 30;
        painter.setBrush(QColor(0x2B, 0x4C, 0x8C));
        painter.drawEllipse(QPointF(area.left() + 24, y + 4), 4, 4);
        painter.setBrush(QColor(0x8A, 0x97, 0xAD));
        const double length = 150 + ((i * 37) % 70);
        painter.drawRoundedRect(QRectF(area.left() + 36, y, length, 8), 4, 4);
        if (detailed) {
            painter.setBrush(QColor(0xB7, 0xC1, 0xD3));
            painter.drawRoundedRect(QRectF(area.left() + 36, y + 12, length * 0.7, 5), 2.5, 2.5);
        }
    }

    // The magnifier page's lens sits around (297, 65): a small figure there, worth enlarging.
    if (detailed) {
        const QRectF badge(area.left() + 267, area.top() + 52, 60, 26);
        painter.setBrush(QColor(0x2E, 0xC4, 0x8C));
        painter.drawRoundedRect(badge, 6, 6);
        QFont figure(QStringLiteral("DejaVu Sans"));
        figure.setPixelSize(11);
        figure.setBold(true);
        painter.setFont(figure);
        painter.setPen(Qt::white);
        painter.drawText(badge, Qt::AlignCenter, QStringLiteral("+18%"));
        painter.setPen(Qt::NoPen);
    }

    // A bar chart on the right.
    const QColor bars[] = {QColor(0x4C, 0x8D, 0xFF), QColor(0x2E, 0xC4, 0x8C), QColor(0xF5, 0xA5, 0x24),
                           QColor(0xE5, 0x48, 0x4D), QColor(0x8E, 0x6C, 0xF0)};
    const double baseY = area.bottom() - 22;
    const double chartLeft = area.left() + area.width() * 0.55;
    painter.setPen(QPen(QColor(0x6B, 0x76, 0x8A), 1.5));
    painter.drawLine(QPointF(chartLeft - 8, baseY), QPointF(area.right() - 20, baseY));
    painter.setPen(Qt::NoPen);
    const double heights[] = {0.35, 0.55, 0.48, 0.72, 0.62};
    const double step = (area.right() - 28 - chartLeft) / 5.0;
    for (int i = 0; i < 5; ++i) {
        const double h = heights[i] * (baseY - area.top() - 52);
        painter.setBrush(bars[i]);
        painter.drawRoundedRect(QRectF(chartLeft + i * step + 4, baseY - h, step - 10, h), 3, 3);
        if (detailed) {
            QFont small(QStringLiteral("DejaVu Sans"));
            small.setPixelSize(9);
            painter.setFont(small);
            painter.setPen(QColor(0x3A, 0x43, 0x58));
            painter.drawText(QRectF(chartLeft + i * step, baseY - h - 14, step, 12), Qt::AlignCenter,
                             QString::number(static_cast<int>(heights[i] * 100)));
            painter.setPen(Qt::NoPen);
        }
    }
}

} // namespace

SkinImageGenerator::SkinImageGenerator(QString root) : m_root(std::move(root)) {}

void SkinImageGenerator::Save(const QImage& image, const QString& relativePath, const char* format)
{
    const QString path = m_root + QLatin1Char('/') + relativePath;
    const bool folderReady = QDir().mkpath(QFileInfo(path).absolutePath());
    // BMP has no alpha channel worth keeping: flatten so the file is a plain 24-bit picture.
    const QImage out = qstrcmp(format, "BMP") == 0 ? image.convertToFormat(QImage::Format_RGB888) : image;
    if (folderReady && out.save(path, format)) {
        m_written << relativePath;
    } else {
        m_failed << relativePath;
    }
}

bool SkinImageGenerator::GenerateAll()
{
    m_written.clear();
    m_failed.clear();
    CaptionButtons();
    PushButtons();
    Radios();
    Switches();
    MoveArrows();
    NavigationButtons();
    RowBackgrounds();
    SliderParts();
    InputFrames();
    FunctionIcons();
    Logos();
    Marker();
    LaserDots();
    PenLines();
    Pencil();
    ColourSwatches();
    PicturePlaceholders();
    PreviewBackgrounds();
    // The magnifier page writes its scaled previews here at run time.
    if (!QDir().mkpath(m_root + QStringLiteral("/SubZoomPng"))) {
        m_failed << QStringLiteral("SubZoomPng");
    }
    return m_failed.isEmpty();
}

void SkinImageGenerator::CaptionButtons()
{
    struct State {
        const char* suffix;
        QColor back;
        QColor glyph;
    };
    const State closeStates[] = {{"n", Qt::transparent, Text},
                                 {"h", Danger, Qt::white},
                                 {"p", Danger.darker(125), Qt::white}};
    const State minStates[] = {{"n", Qt::transparent, Text},
                               {"h", WithAlpha(Qt::white, 28), Qt::white},
                               {"p", WithAlpha(Qt::white, 48), Qt::white}};
    for (const State& s : closeStates) {
        QImage image = RoundedBox(32, 32, 8, s.back);
        QPainter painter(&image);
        Prepare(painter);
        painter.setPen(RoundPen(s.glyph, 1.8));
        painter.drawLine(QPointF(11, 11), QPointF(21, 21));
        painter.drawLine(QPointF(21, 11), QPointF(11, 21));
        painter.end();
        Save(image, QStringLiteral("button/close_%1.png").arg(QLatin1String(s.suffix)));
    }
    for (const State& s : minStates) {
        QImage image = RoundedBox(32, 32, 8, s.back);
        QPainter painter(&image);
        Prepare(painter);
        painter.setPen(RoundPen(s.glyph, 1.8));
        painter.drawLine(QPointF(10.5, 16.5), QPointF(21.5, 16.5));
        painter.end();
        Save(image, QStringLiteral("button/min_%1.png").arg(QLatin1String(s.suffix)));
    }
}

void SkinImageGenerator::PushButtons()
{
    // Primary (filled accent) and secondary (outlined) buttons; drawn 48 x 34 and stretched
    // with corner='8,8,8,8'.
    Save(RoundedBox(48, 34, 8, Accent), QStringLiteral("button/btn_n.png"));
    Save(RoundedBox(48, 34, 8, AccentHot), QStringLiteral("button/btn_h.png"));
    Save(RoundedBox(48, 34, 8, AccentPushed), QStringLiteral("button/btn_p.png"));
    Save(RoundedBox(48, 34, 8, Off), QStringLiteral("button/btn_d.png"));
    Save(RoundedBox(48, 34, 8, PanelRaised, Border, 1.2), QStringLiteral("button/btn2_n.png"));
    Save(RoundedBox(48, 34, 8, PanelRaised.lighter(118), Accent, 1.2), QStringLiteral("button/btn2_h.png"));
    Save(RoundedBox(48, 34, 8, Panel, AccentPushed, 1.2), QStringLiteral("button/btn2_p.png"));

    // Main tab bar: hover and selected backgrounds.
    Save(RoundedBox(48, 40, 8, WithAlpha(Qt::white, 14)), QStringLiteral("button/tab_h.png"));
    Save(RoundedBox(48, 40, 8, WithAlpha(Accent, 46)), QStringLiteral("button/tab_sel.png"));

    // Segmented choices (magnification steps, custom-key device slots).
    Save(RoundedBox(48, 30, 7, PanelRaised, Border, 1.2), QStringLiteral("button/seg_n.png"));
    Save(RoundedBox(48, 30, 7, PanelRaised.lighter(118), AccentHot, 1.2), QStringLiteral("button/seg_h.png"));
    Save(RoundedBox(48, 30, 7, Accent), QStringLiteral("button/seg_sel.png"));
}

void SkinImageGenerator::Radios()
{
    auto radio = [](bool selected, bool hot) {
        QImage image = Canvas(20, 20);
        QPainter painter(&image);
        Prepare(painter);
        const QColor ring = selected ? Accent : (hot ? AccentHot : QColor(0x8A, 0x93, 0xA6));
        painter.setPen(QPen(ring, 1.8));
        painter.setBrush(selected ? WithAlpha(Accent, 40) : Qt::transparent);
        painter.drawEllipse(QRectF(1.5, 1.5, 17, 17));
        if (selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Accent);
            painter.drawEllipse(QRectF(6, 6, 8, 8));
        }
        return image;
    };
    Save(radio(true, false), QStringLiteral("button/Select.png"));
    Save(radio(false, false), QStringLiteral("button/SelectNot.png"));
    Save(radio(false, true), QStringLiteral("button/SelectNot_h.png"));
}

void SkinImageGenerator::Switches()
{
    auto toggle = [](bool on) {
        QImage image = Canvas(46, 26);
        QPainter painter(&image);
        Prepare(painter);
        painter.setPen(Qt::NoPen);
        painter.setBrush(on ? Accent : Off);
        painter.drawRoundedRect(QRectF(1, 1, 44, 24), 12, 12);
        painter.setBrush(QColor(0, 0, 0, 50));
        const double knobX = on ? 23 : 3;
        painter.drawEllipse(QRectF(knobX, 3.8, 20, 20));
        painter.setBrush(on ? QColor(Qt::white) : QColor(0xC9, 0xCF, 0xDA));
        painter.drawEllipse(QRectF(knobX, 3, 20, 20));
        return image;
    };
    Save(toggle(true), QStringLiteral("button/FunctionSet/on.png"));
    Save(toggle(false), QStringLiteral("button/FunctionSet/off.png"));
}

void SkinImageGenerator::MoveArrows()
{
    // 1: disabled, 2: hovered, 3: enabled. The page swaps 1 and 3 when a function is switched.
    struct Look {
        int number;
        QColor back;
        QColor glyph;
    };
    const Look looks[] = {{1, Qt::transparent, QColor(0x4E, 0x56, 0x6A)},
                          {2, WithAlpha(Accent, 60), Qt::white},
                          {3, WithAlpha(Qt::white, 16), Text}};
    for (const Look& look : looks) {
        for (bool up : {true, false}) {
            QImage image = RoundedBox(28, 28, 7, look.back);
            QPainter painter(&image);
            Prepare(painter);
            Chevron(painter, QPointF(14, 14), 5.5, up, look.glyph, 2.0);
            painter.end();
            Save(image, QStringLiteral("button/FunctionSet/%1%2.png").arg(up ? QStringLiteral("Up") : QStringLiteral("Down"))
                            .arg(look.number));
        }
    }
}

void SkinImageGenerator::NavigationButtons()
{
    // The sub-page list of the function setting page: 210 x 44, stretched with corner='12,8,8,8'.
    Save(RoundedBox(210, 44, 8, Qt::transparent), QStringLiteral("button/FunctionSet/Normal.png"));
    Save(RoundedBox(210, 44, 8, WithAlpha(Qt::white, 14)), QStringLiteral("button/FunctionSet/NormalHot.png"));

    QImage selected = RoundedBox(210, 44, 8, WithAlpha(Accent, 56));
    QPainter painter(&selected);
    Prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Accent);
    painter.drawRoundedRect(QRectF(0, 10, 4, 24), 2, 2);
    painter.end();
    Save(selected, QStringLiteral("button/FunctionSet/NormalSelect.png"));
}

void SkinImageGenerator::RowBackgrounds()
{
    // Function list rows: bk2 for a function that takes part, bk1 for one that is switched off.
    QImage active = RoundedBox(64, 52, 10, PanelRaised, Border, 1.0);
    QPainter painter(&active);
    Prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Accent);
    painter.drawRoundedRect(QRectF(0, 12, 4, 28), 2, 2);
    painter.end();
    Save(active, QStringLiteral("Setting/bk2.png"));
    Save(RoundedBox(64, 52, 10, Panel, WithAlpha(Border, 150), 1.0), QStringLiteral("Setting/bk1.png"));
    // Card behind the controls of a setting page.
    Save(RoundedBox(64, 64, 12, Panel, WithAlpha(Border, 200), 1.0), QStringLiteral("Setting/card.png"));
}

void SkinImageGenerator::SliderParts()
{
    Save(RoundedBox(40, 6, 3, Off), QStringLiteral("button/progress_bk.png"));
    Save(RoundedBox(40, 6, 3, Accent), QStringLiteral("button/progress_fore.png"));
    auto thumb = [](bool hot) {
        QImage image = Canvas(20, 20);
        QPainter painter(&image);
        Prepare(painter);
        painter.setPen(Qt::NoPen);
        if (hot) {
            painter.setBrush(WithAlpha(Accent, 70));
            painter.drawEllipse(QRectF(0, 0, 20, 20));
        }
        painter.setBrush(Qt::white);
        painter.setPen(QPen(Accent, 3));
        painter.drawEllipse(QRectF(3.5, 3.5, 13, 13));
        return image;
    };
    Save(thumb(false), QStringLiteral("button/slider_thumb.png"));
    Save(thumb(true), QStringLiteral("button/slider_thumb_h.png"));
}

void SkinImageGenerator::InputFrames()
{
    Save(RoundedBox(40, 32, 6, Window, Border, 1.2), QStringLiteral("button/edit_bk.png"));
    Save(RoundedBox(40, 32, 6, Window, Accent, 1.4), QStringLiteral("button/edit_focus.png"));
    for (bool hot : {false, true}) {
        // Stretched with corner='8,8,30,8' so the arrow keeps its place at the right.
        QImage image = RoundedBox(64, 32, 6, PanelRaised, hot ? Accent : Border, 1.2);
        QPainter painter(&image);
        Prepare(painter);
        Chevron(painter, QPointF(47, 16), 4.5, false, Text, 1.8);
        painter.end();
        Save(image, hot ? QStringLiteral("button/combo_h.png") : QStringLiteral("button/combo_n.png"));
    }
}

void SkinImageGenerator::PaintFunctionGlyph(QPainter& painter, int function, double s, const QColor& c)
{
    const double w = s / 14.0;
    painter.save();
    Prepare(painter);
    painter.setPen(RoundPen(c, w));
    painter.setBrush(Qt::NoBrush);
    switch (function) {
    case 1: { // mouse
        const QRectF body(s * 0.28, s * 0.1, s * 0.44, s * 0.8);
        painter.drawRoundedRect(body, s * 0.22, s * 0.22);
        painter.drawLine(QPointF(s * 0.5, s * 0.1), QPointF(s * 0.5, s * 0.4));
        painter.drawLine(QPointF(s * 0.28, s * 0.4), QPointF(s * 0.72, s * 0.4));
        painter.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.5, s * 0.28));
        break;
    }
    case 2: { // spotlight: lamp and beam
        QPainterPath beam;
        beam.moveTo(s * 0.30, s * 0.22);
        beam.lineTo(s * 0.08, s * 0.80);
        beam.arcTo(QRectF(s * 0.08, s * 0.70, s * 0.84, s * 0.20), 180, 180);
        beam.lineTo(s * 0.70, s * 0.22);
        beam.closeSubpath();
        painter.setBrush(WithAlpha(c, 70));
        painter.drawPath(beam);
        painter.setBrush(c);
        painter.drawRoundedRect(QRectF(s * 0.28, s * 0.08, s * 0.44, s * 0.16), s * 0.05, s * 0.05);
        break;
    }
    case 3: { // laser pointer with its dot
        painter.drawLine(QPointF(s * 0.16, s * 0.84), QPointF(s * 0.54, s * 0.46));
        painter.setPen(RoundPen(c, w * 2.2));
        painter.drawLine(QPointF(s * 0.14, s * 0.86), QPointF(s * 0.40, s * 0.60));
        painter.setPen(Qt::NoPen);
        QRadialGradient glow(QPointF(s * 0.72, s * 0.28), s * 0.24);
        glow.setColorAt(0.0, c);
        glow.setColorAt(0.45, WithAlpha(c, 150));
        glow.setColorAt(1.0, WithAlpha(c, 0));
        painter.setBrush(glow);
        painter.drawEllipse(QPointF(s * 0.72, s * 0.28), s * 0.24, s * 0.24);
        painter.setBrush(c);
        painter.drawEllipse(QPointF(s * 0.72, s * 0.28), s * 0.08, s * 0.08);
        break;
    }
    case 4: { // magnifier
        painter.drawEllipse(QPointF(s * 0.42, s * 0.42), s * 0.26, s * 0.26);
        painter.setPen(RoundPen(c, w * 1.8));
        painter.drawLine(QPointF(s * 0.62, s * 0.62), QPointF(s * 0.86, s * 0.86));
        painter.setPen(RoundPen(c, w * 0.9));
        painter.drawLine(QPointF(s * 0.32, s * 0.42), QPointF(s * 0.52, s * 0.42));
        painter.drawLine(QPointF(s * 0.42, s * 0.32), QPointF(s * 0.42, s * 0.52));
        break;
    }
    case 5: { // annotation pen over a stroke
        QPainterPath pen;
        pen.moveTo(s * 0.66, s * 0.10);
        pen.lineTo(s * 0.86, s * 0.30);
        pen.lineTo(s * 0.38, s * 0.78);
        pen.lineTo(s * 0.14, s * 0.84);
        pen.lineTo(s * 0.20, s * 0.60);
        pen.closeSubpath();
        painter.drawPath(pen);
        painter.drawLine(QPointF(s * 0.58, s * 0.18), QPointF(s * 0.78, s * 0.38));
        break;
    }
    case 6: { // screenshot: crop corners around a lens
        const double a = s * 0.12, b = s * 0.88, l = s * 0.22;
        painter.drawLine(QPointF(a, a + l), QPointF(a, a));
        painter.drawLine(QPointF(a, a), QPointF(a + l, a));
        painter.drawLine(QPointF(b - l, a), QPointF(b, a));
        painter.drawLine(QPointF(b, a), QPointF(b, a + l));
        painter.drawLine(QPointF(b, b - l), QPointF(b, b));
        painter.drawLine(QPointF(b, b), QPointF(b - l, b));
        painter.drawLine(QPointF(a + l, b), QPointF(a, b));
        painter.drawLine(QPointF(a, b), QPointF(a, b - l));
        painter.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.14, s * 0.14);
        break;
    }
    default:
        break;
    }
    painter.restore();
}

void SkinImageGenerator::FunctionIcons()
{
    static const char* const names[] = {"mouse", "searchlight", "laser", "magnify", "postil", "screenshot"};
    for (int function = 1; function <= 6; ++function) {
        for (bool active : {true, false}) {
            QImage image = Canvas(28, 28);
            QPainter painter(&image);
            PaintFunctionGlyph(painter, function, 28, active ? Text : Muted);
            painter.end();
            Save(image, QStringLiteral("icon/fun_%1%2.png")
                            .arg(QLatin1String(names[function - 1]), active ? QString() : QStringLiteral("_off")));
        }
    }

    // The two sub-pages that are no function: general settings (a cog) and the custom key.
    QImage cog = Canvas(28, 28);
    QPainter cogPainter(&cog);
    Prepare(cogPainter);
    cogPainter.translate(14, 14);
    cogPainter.setPen(Qt::NoPen);
    cogPainter.setBrush(Text);
    for (int tooth = 0; tooth < 8; ++tooth) {
        cogPainter.drawRoundedRect(QRectF(-2.6, -11.5, 5.2, 6), 1.2, 1.2);
        cogPainter.rotate(45);
    }
    cogPainter.setPen(QPen(Text, 2.4));
    cogPainter.setBrush(Qt::NoBrush);
    cogPainter.drawEllipse(QPointF(0, 0), 6.6, 6.6);
    cogPainter.drawEllipse(QPointF(0, 0), 2.2, 2.2);
    cogPainter.end();
    Save(cog, QStringLiteral("icon/settings.png"));

    QImage key = Canvas(28, 28);
    QPainter keyPainter(&key);
    Prepare(keyPainter);
    keyPainter.setPen(RoundPen(Text, 2.0));
    keyPainter.setBrush(Qt::NoBrush);
    keyPainter.drawRoundedRect(QRectF(3, 6, 22, 17), 4, 4);
    keyPainter.drawLine(QPointF(9, 18), QPointF(19, 18));
    keyPainter.setPen(Qt::NoPen);
    keyPainter.setBrush(Text);
    for (int i = 0; i < 3; ++i) {
        keyPainter.drawEllipse(QPointF(9 + i * 5, 12), 1.4, 1.4);
    }
    keyPainter.end();
    Save(key, QStringLiteral("icon/custom_key.png"));
}

void SkinImageGenerator::Logos()
{
    // The application mark: a remote sending a beam, on an accent gradient tile.
    auto mark = [](int size, bool mouse) {
        QImage image = Canvas(size, size);
        QPainter painter(&image);
        Prepare(painter);
        const double s = size;
        QLinearGradient tile(QPointF(0, 0), QPointF(s, s));
        tile.setColorAt(0.0, QColor(0x5B, 0x9B, 0xFF));
        tile.setColorAt(1.0, QColor(0x7B, 0x4D, 0xF0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(tile);
        painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.24, s * 0.24);
        if (mouse) {
            SkinImageGenerator::PaintFunctionGlyph(painter, 1, s, Qt::white);
            return image;
        }
        painter.translate(s * 0.5, s * 0.5);
        painter.rotate(-35);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(-s * 0.12, -s * 0.10, s * 0.24, s * 0.46), s * 0.1, s * 0.1);
        painter.setBrush(QColor(0x7B, 0x4D, 0xF0));
        painter.drawEllipse(QPointF(0, s * 0.04), s * 0.05, s * 0.05);
        painter.drawRoundedRect(QRectF(-s * 0.05, s * 0.14, s * 0.1, s * 0.05), s * 0.02, s * 0.02);
        QLinearGradient beam(QPointF(0, -s * 0.10), QPointF(0, -s * 0.42));
        beam.setColorAt(0.0, WithAlpha(Qt::white, 220));
        beam.setColorAt(1.0, WithAlpha(Qt::white, 0));
        painter.setBrush(beam);
        QPainterPath cone;
        cone.moveTo(-s * 0.05, -s * 0.11);
        cone.lineTo(-s * 0.16, -s * 0.42);
        cone.lineTo(s * 0.16, -s * 0.42);
        cone.lineTo(s * 0.05, -s * 0.11);
        cone.closeSubpath();
        painter.drawPath(cone);
        return image;
    };
    Save(mark(128, false), QStringLiteral("logo/logo.png"));
    Save(mark(64, false), QStringLiteral("logo/tray.png"));
    Save(mark(24, false), QStringLiteral("logo/caption_presenter.png"));
    Save(mark(24, true), QStringLiteral("logo/caption_mouse.png"));
}

void SkinImageGenerator::Marker()
{
    // Drawn in its own window above the picture, so it must read on light and dark slides.
    QImage image = Canvas(22, 22);
    QPainter painter(&image);
    Prepare(painter);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 4));
    painter.drawEllipse(QRectF(4, 4, 14, 14));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(QRectF(4, 4, 14, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(11, 11), 2.2, 2.2);
    painter.end();
    Save(image, QStringLiteral("button/FunctionSet/Mouse_Center.png"));
}

void SkinImageGenerator::LaserDots()
{
    const NamedColour dots[] = {{"red", QColor(0xFF, 0x2D, 0x2D)}, {"green", QColor(0x2D, 0xFF, 0x6A)},
                                {"blue", QColor(0x3A, 0x86, 0xFF)}};
    // Twice the largest dot (280 pixels), so every size is a clean reduction of the picture.
    constexpr int kSide = 560;
    for (const NamedColour& dot : dots) {
        QImage image = Canvas(kSide, kSide);
        QPainter painter(&image);
        Prepare(painter);
        QRadialGradient glow(QPointF(kSide / 2.0, kSide / 2.0), kSide / 2.0);
        glow.setColorAt(0.0, Qt::white);
        glow.setColorAt(0.18, dot.colour.lighter(150));
        glow.setColorAt(0.42, dot.colour);
        glow.setColorAt(0.70, WithAlpha(dot.colour, 90));
        glow.setColorAt(1.0, WithAlpha(dot.colour, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(QRectF(0, 0, kSide, kSide));
        painter.end();
        Save(image, QStringLiteral("button/FunctionSet/DigitalLaser/%1@10x.png").arg(QLatin1String(dot.name)));
    }
}

void SkinImageGenerator::PenLines()
{
    const NamedColour lines[] = {{"_Red", QColor(0xF0, 0x3B, 0x3B)}, {"_Green", QColor(0x2E, 0xC4, 0x5C)},
                                 {"_Blue", QColor(0x3A, 0x7B, 0xF0)}};
    for (const NamedColour& line : lines) {
        Save(RoundedBox(240, 10, 5, line.colour),
             QStringLiteral("button/FunctionSet/PostilLine%1.png").arg(QLatin1String(line.name)));
    }
    // Colour 4 draws in rainbow colours.
    QImage rainbow = Canvas(240, 10);
    QPainter painter(&rainbow);
    Prepare(painter);
    QLinearGradient spectrum(QPointF(0, 0), QPointF(240, 0));
    const QColor stops[] = {QColor(0xF0, 0x3B, 0x3B), QColor(0xF5, 0xA5, 0x24), QColor(0xF2, 0xE0, 0x2C),
                            QColor(0x2E, 0xC4, 0x5C), QColor(0x3A, 0x7B, 0xF0), QColor(0x8E, 0x4C, 0xF0)};
    for (int i = 0; i < 6; ++i) {
        spectrum.setColorAt(i / 5.0, stops[i]);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(spectrum);
    painter.drawRoundedRect(QRectF(0, 0, 240, 10), 5, 5);
    painter.end();
    Save(rainbow, QStringLiteral("button/FunctionSet/PostilLine.png"));

    // Colour choices of the laser and pen pages: a dot for each colour and a rainbow dot.
    for (const NamedColour& line : lines) {
        Save(RoundedBox(20, 20, 10, line.colour),
             QStringLiteral("button/FunctionSet/dot%1.png").arg(QLatin1String(line.name)));
    }
    QImage rainbowDot = Canvas(20, 20);
    QPainter dotPainter(&rainbowDot);
    Prepare(dotPainter);
    QConicalGradient wheel(QPointF(10, 10), 90);
    for (int i = 0; i < 6; ++i) {
        wheel.setColorAt(i / 6.0, stops[i]);
    }
    wheel.setColorAt(1.0, stops[0]);
    dotPainter.setPen(Qt::NoPen);
    dotPainter.setBrush(wheel);
    dotPainter.drawEllipse(QRectF(0, 0, 20, 20));
    dotPainter.end();
    Save(rainbowDot, QStringLiteral("button/FunctionSet/dot_Colours.png"));
}

void SkinImageGenerator::Pencil()
{
    // The pen's window has its top-left corner on the point: the tip is drawn there.
    QImage image = Canvas(32, 32);
    QPainter painter(&image);
    Prepare(painter);
    painter.translate(1.5, 1.5);
    painter.rotate(45);
    const QPolygonF body({QPointF(9, -3.5), QPointF(36, -3.5), QPointF(36, 3.5), QPointF(9, 3.5)});
    const QPolygonF wood({QPointF(0, 0), QPointF(9, -3.5), QPointF(9, 3.5)});
    painter.setPen(QPen(QColor(0, 0, 0, 170), 1.2));
    painter.setBrush(QColor(0xF5, 0xB8, 0x2E));
    painter.drawPolygon(body);
    painter.setBrush(QColor(0xF3, 0xD9, 0xB1));
    painter.drawPolygon(wood);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2B, 0x2B, 0x2B));
    painter.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(3.2, -1.25), QPointF(3.2, 1.25)}));
    painter.end();
    Save(image, QStringLiteral("button/FunctionSet/Pencil.png"));
}

void SkinImageGenerator::ColourSwatches()
{
    for (int i = 0; i < static_cast<int>(kBlankScreenColours.size()); ++i) {
        const QColor colour = QColor::fromRgba(kBlankScreenColours[static_cast<size_t>(i)]);
        for (bool selected : {false, true}) {
            QImage image = Canvas(40, 40);
            QPainter painter(&image);
            Prepare(painter);
            painter.setPen(selected ? QPen(Accent, 3) : QPen(WithAlpha(Qt::white, 60), 1));
            painter.setBrush(colour);
            painter.drawRoundedRect(selected ? QRectF(1.5, 1.5, 37, 37) : QRectF(3.5, 3.5, 33, 33), 8, 8);
            if (selected) {
                Check(painter, QRectF(8, 8, 24, 24), ContrastOn(colour), 2.6);
            }
            painter.end();
            Save(image, QStringLiteral("button/FunctionSet/Custom/%1%2.png")
                            .arg(selected ? QStringLiteral("Color_Select") : QStringLiteral("Color"))
                            .arg(i + 1));
        }
    }
}

void SkinImageGenerator::PicturePlaceholders()
{
    for (int i = 1; i <= 3; ++i) {
        for (bool selected : {false, true}) {
            QImage image = Canvas(120, 68);
            QPainter painter(&image);
            Prepare(painter);
            QPen frame(selected ? Accent : QColor(0x6B, 0x74, 0x88), selected ? 2.5 : 1.5);
            if (!selected) {
                frame.setStyle(Qt::DashLine);
            }
            painter.setPen(frame);
            painter.setBrush(selected ? WithAlpha(Accent, 40) : WithAlpha(Qt::white, 8));
            painter.drawRoundedRect(QRectF(1.5, 1.5, 117, 65), 8, 8);
            // A small landscape picture sign with a plus.
            painter.setPen(RoundPen(selected ? Text : QColor(0x8A, 0x93, 0xA6), 1.6));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(44, 18, 32, 24), 3, 3);
            QPainterPath hills;
            hills.moveTo(46, 39);
            hills.lineTo(55, 30);
            hills.lineTo(61, 35);
            hills.lineTo(66, 31);
            hills.lineTo(74, 39);
            painter.drawPath(hills);
            painter.drawEllipse(QPointF(67, 24), 2, 2);
            if (selected) {
                Check(painter, QRectF(92, 6, 22, 22), Accent, 2.4);
            } else {
                painter.drawLine(QPointF(60, 48), QPointF(60, 58));
                painter.drawLine(QPointF(55, 53), QPointF(65, 53));
            }
            painter.end();
            Save(image, QStringLiteral("button/FunctionSet/Custom/%1%2.png")
                            .arg(selected ? QStringLiteral("Image_Select") : QStringLiteral("Image"))
                            .arg(i));
        }
    }
    for (bool hot : {false, true}) {
        QImage image = Canvas(18, 18);
        QPainter painter(&image);
        Prepare(painter);
        painter.setPen(Qt::NoPen);
        painter.setBrush(hot ? Danger.lighter(115) : Danger);
        painter.drawEllipse(QRectF(0, 0, 18, 18));
        painter.setPen(RoundPen(Qt::white, 1.8));
        painter.drawLine(QPointF(6, 6), QPointF(12, 12));
        painter.drawLine(QPointF(12, 6), QPointF(6, 12));
        painter.end();
        Save(image, hot ? QStringLiteral("button/FunctionSet/Custom/Delete_h.png")
                        : QStringLiteral("button/FunctionSet/Custom/Delete.png"));
    }
}

void SkinImageGenerator::PreviewBackgrounds()
{
    // The preview area of the function setting page is 595 x 220 pixels.
    QImage slide = Canvas(595, 220);
    QPainter painter(&slide);
    Prepare(painter);
    PaintSlide(painter, QRectF(0, 0, 595, 220), false);
    painter.end();
    Save(slide, QStringLiteral("bkimage/Demonstration.png"));

    QImage zoom = Canvas(595, 220);
    QPainter zoomPainter(&zoom);
    Prepare(zoomPainter);
    PaintSlide(zoomPainter, QRectF(0, 0, 595, 220), true);
    zoomPainter.end();
    Save(zoom, QStringLiteral("bkimage/Zoom.bmp"), "BMP");

    // A laser dot over the slide for the laser page's preview.
    QImage laser = Canvas(595, 220);
    QPainter laserPainter(&laser);
    Prepare(laserPainter);
    PaintSlide(laserPainter, QRectF(0, 0, 595, 220), false);
    laserPainter.fillRect(QRectF(0, 0, 595, 220), QColor(0, 0, 0, 40));
    laserPainter.end();
    Save(laser, QStringLiteral("bkimage/LaserPreview.png"));
}

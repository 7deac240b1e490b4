#pragma once
// Draws every picture of the skin folder (buttons and their states, switches, function icons,
// logos, laser dots, pen lines, colour swatches, preview backgrounds) into an ImgRes tree.
// Pictures are drawn rather than stored so that the repository holds no binary files and a
// change of the theme is one edit in SkinPalette.h.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

class QPainter;

class SkinImageGenerator {
public:
    explicit SkinImageGenerator(QString root);

    // Writes all pictures below the root folder. False when any file could not be written;
    // the names of the failed files are in Failures().
    bool GenerateAll();

    const QStringList& Written() const { return m_written; }
    const QStringList& Failures() const { return m_failed; }

    // The function glyphs by function number 1 to 6 (mouse, spotlight, laser, magnifier,
    // pen, screenshot), drawn in a square of side `size`.
    static void PaintFunctionGlyph(QPainter& painter, int function, double size, const QColor& colour);

private:
    void Save(const QImage& image, const QString& relativePath, const char* format = "PNG");

    void CaptionButtons();
    void PushButtons();
    void Radios();
    void Switches();
    void MoveArrows();
    void NavigationButtons();
    void RowBackgrounds();
    void SliderParts();
    void InputFrames();
    void FunctionIcons();
    void Logos();
    void Marker();
    void LaserDots();
    void PenLines();
    void Pencil();
    void ColourSwatches();
    void PicturePlaceholders();
    void PreviewBackgrounds();

    QString m_root;
    QStringList m_written;
    QStringList m_failed;
};

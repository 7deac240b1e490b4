#include "CZoomPreview.h"

#include "ConfigManager.h"
#include "FloatingLayerGeometry.h"
#include "KVOLog.h"
#include "UserFolders.h"

#include <QImage>
#include <QSaveFile>
#include <QString>

#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSource = "bkimage/Zoom.bmp";
constexpr const char* kFolder = "SubZoomPng";

// True when `picture` exists and is not older than `source`.
bool UpToDate(const fs::path& picture, const fs::path& source)
{
    std::error_code ec;
    const auto made = fs::last_write_time(picture, ec);
    if (ec)
        return false;
    const auto drawn = fs::last_write_time(source, ec);
    return ec || made >= drawn;
}

bool Save(const QImage& image, const fs::path& file)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec)
        return false;
    // Whole or not at all: a half-written picture must not be taken for a made one.
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&out, "PNG"))
        return false;
    return out.commit();
}

} // namespace

CZoomPreview::CZoomPreview(std::string skinFolder, std::string userSkinFolder, CConfigManager* config)
    : m_skinFolder(std::move(skinFolder)), m_userSkinFolder(std::move(userSkinFolder)), m_pConfig(config)
{
}

CZoomPreview CZoomPreview::For(const CUserFolders& folders)
{
    const std::string user = folders.UserCacheFolder();
    return CZoomPreview(folders.SkinFolder() + "/ImgRes", user.empty() ? std::string() : user + "/ImgRes");
}

CZoomPreview::Label CZoomPreview::LabelFor(float aspectRatio)
{
    const FloatingLayerGeometry::Shape shape = FloatingLayerGeometry::ShapeFor(aspectRatio, 0.0f);
    Label label;
    label.left = static_cast<int>(shape.hole.left);
    label.top = static_cast<int>(shape.hole.top);
    label.width = static_cast<int>(shape.hole.right - shape.hole.left);
    label.height = static_cast<int>(shape.hole.bottom - shape.hole.top);
    return label;
}

std::string CZoomPreview::Make(double zoomMom)
{
    const CConfigManager& config = m_pConfig != nullptr ? *m_pConfig : CConfigManager::GetInstance();
    return Make(zoomMom, LabelFor(config.GetReal(ConfigReal::ZoomAspectRatio)));
}

std::string CZoomPreview::Make(double zoomMom, const Label& label)
{
    if (!std::isfinite(zoomMom) || zoomMom <= 0.0 || label.width <= 0 || label.height <= 0) {
        WriteLog(KVO_LOG_ERROR, "CZoomPreview::Make no picture for factor %f and a %d x %d label", zoomMom,
                 label.width, label.height);
        return {};
    }
    char name[64];
    std::snprintf(name, sizeof name, "SubZoom_%d_%0.2f.png", label.height, zoomMom);
    const std::string factor = name;
    if (label.height == m_nLastHeight && factor == m_lastFactor && !m_lastPath.empty() && fs::exists(m_lastPath))
        return m_lastPath;
    std::string path = Generate(zoomMom, label, name);
    m_nLastHeight = path.empty() ? -1 : label.height;
    m_lastFactor = path.empty() ? std::string() : factor;
    m_lastPath = path;
    return path;
}

std::string CZoomPreview::Generate(double zoomMom, const Label& label, const std::string& name)
{
    const fs::path source = fs::path(m_skinFolder) / kSource;
    std::vector<fs::path> targets{fs::path(m_skinFolder) / kFolder / name};
    if (!m_userSkinFolder.empty() && m_userSkinFolder != m_skinFolder)
        targets.push_back(fs::path(m_userSkinFolder) / kFolder / name);
    for (const fs::path& target : targets) {
        if (UpToDate(target, source))
            return target.string();
    }

    QImage picture(QString::fromStdString(source.string()));
    if (picture.isNull()) {
        WriteLog(KVO_LOG_ERROR, "CZoomPreview::Make cannot read %s", source.c_str());
        return {};
    }
    picture = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // The area under the label, 1/zoom of its size around its centre, kept inside the picture.
    const int cropW = std::clamp(static_cast<int>(label.width / zoomMom), 1, picture.width());
    const int cropH = std::clamp(static_cast<int>(label.height / zoomMom), 1, picture.height());
    const int centreX = label.left + label.width / 2;
    const int centreY = label.top + label.height / 2;
    const int left = std::clamp(centreX - cropW / 2, 0, picture.width() - cropW);
    const int top = std::clamp(centreY - cropH / 2, 0, picture.height() - cropH);

    // An opaque picture stays opaque: the filter's rounding must not make it faintly see-through.
    QImage enlarged(label.width, label.height,
                    picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const uint8_t* from = picture.constBits() + top * picture.bytesPerLine() + left * 4;
    if (libyuv::ARGBScale(from, static_cast<int>(picture.bytesPerLine()), cropW, cropH, enlarged.bits(),
                          static_cast<int>(enlarged.bytesPerLine()), label.width, label.height,
                          libyuv::kFilterBox) != 0) {
        WriteLog(KVO_LOG_ERROR, "CZoomPreview::Make scaling %d x %d to %d x %d failed", cropW, cropH, label.width,
                 label.height);
        return {};
    }
    for (const fs::path& target : targets) {
        if (Save(enlarged, target)) {
            WriteLog(KVO_LOG_INFO, "CZoomPreview::Make %s", target.c_str());
            return target.string();
        }
        WriteLog(KVO_LOG_WARN, "CZoomPreview::Make cannot write %s", target.c_str());
    }
    WriteLog(KVO_LOG_ERROR, "CZoomPreview::Make no folder takes %s", name.c_str());
    return {};
}

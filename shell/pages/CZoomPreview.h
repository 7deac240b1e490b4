#pragma once
// The magnifier page's preview picture: the part of the skin's "bkimage/Zoom.bmp" under the
// preview label, enlarged by the zoom factor to the label's size (libyuv box filter), saved as
// "SubZoomPng/SubZoom_<label height>_<factor %0.2f>.png". It goes into the skin folder when that
// can be written, else into the user's own skin folder. A picture already made for the same
// height and factor (and newer than Zoom.bmp) is reused. UI thread or any one thread.

#include <string>

class CConfigManager;
class CUserFolders;

class CZoomPreview {
public:
    // The preview label in the page's background label: 180 pixels wide at (207, 20), as high
    // as the magnifier's aspect ratio makes it (at least 0.3).
    struct Label {
        int left = 207;
        int top = 20;
        int width = 180;
        int height = 90;
    };

    // `skinFolder` and `userSkinFolder` are ImgRes folders (holding bkimage/Zoom.bmp and
    // SubZoomPng/); the second may be empty (no fallback).
    CZoomPreview(std::string skinFolder, std::string userSkinFolder, CConfigManager* config = nullptr);
    // The program's folders: the skin folder in use and the user's cache folder.
    static CZoomPreview For(const CUserFolders& folders);

    // The full path of the picture for `zoomMom`, the label sized from the magnifier's aspect
    // ratio in the settings object; empty (logged) when it cannot be made.
    std::string Make(double zoomMom);
    std::string Make(double zoomMom, const Label& label);

    // The label for an aspect ratio (clamped to at least 0.3, as the page places it).
    static Label LabelFor(float aspectRatio);

private:
    std::string Generate(double zoomMom, const Label& label, const std::string& name);

    std::string m_skinFolder;
    std::string m_userSkinFolder;
    CConfigManager* m_pConfig;
    int m_nLastHeight = -1;
    std::string m_lastFactor;
    std::string m_lastPath;
};

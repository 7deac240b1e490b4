#pragma once
// A button wrapper: texts and styles as every wrapper, plus its tooltip and its look (normal
// image and text colours), which pages switch to show a state.

#include "DuilibControl.h"

#include <array>
#include <cstddef>
#include <utility>

class CDuilibButton : public CDuilibControl {
public:
    using CDuilibControl::CDuilibControl;

    // The tooltip from the language table.
    void SetToolTip(const std::string& section, const std::string& key);
    void SetNormalImage(const std::string& image);
    void SetForeImage(const std::string& image);
    void SetNormalImageAndTextColors(const std::string& normalImage, DWORD textColor, DWORD hotTextColor);
};

// `N` wrappers of type `T` (buttons, labels) on one paint manager, for numbered control rows.
template <class T, size_t N>
std::array<T, N> MakeWrappers(CPaintManagerUI* manager)
{
    return [manager]<size_t... I>(std::index_sequence<I...>) {
        return std::array<T, N>{((void)I, T(manager))...};
    }(std::make_index_sequence<N>());
}

#pragma once
// A slider wrapper: the slider and the two progress bars drawn with it (the filled part and the
// track), kept at one range and one value.

#include "DuilibControl.h"

class CDuilibSlider {
public:
    explicit CDuilibSlider(CPaintManagerUI* manager);

    struct Part {
        std::string name;
        std::string styleKey;
    };
    // Initialises the three controls as CDuilibControl::Init does, from one style section.
    void Init(const Part& progress1, const Part& progress2, const Part& slider, const std::string& styleSection,
              bool visible, bool forgetStyle = false);

    void SetRange(int min, int max);
    void SetValue(int value);
    // The slider's value; 0 when the slider is missing.
    int GetValue() const;
    void SetToolTip(const std::string& text);

private:
    template <class Fn>
    void ForEachBar(Fn fn);

    CDuilibControl m_progress1;
    CDuilibControl m_progress2;
    CDuilibControl m_slider;
};

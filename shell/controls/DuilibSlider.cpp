#include "DuilibSlider.h"

CDuilibSlider::CDuilibSlider(CPaintManagerUI* manager) : m_progress1(manager), m_progress2(manager), m_slider(manager)
{
}

void CDuilibSlider::Init(const Part& progress1, const Part& progress2, const Part& slider,
                         const std::string& styleSection, bool visible, bool forgetStyle)
{
    m_progress1.Init(progress1.name, styleSection, progress1.styleKey, visible, forgetStyle);
    m_progress2.Init(progress2.name, styleSection, progress2.styleKey, visible, forgetStyle);
    m_slider.Init(slider.name, styleSection, slider.styleKey, visible, forgetStyle);
}

template <class Fn>
void CDuilibSlider::ForEachBar(Fn fn)
{
    // The slider is a progress bar with a thumb, so all three take the same calls.
    for (CDuilibControl* part : {&m_progress1, &m_progress2, &m_slider}) {
        if (auto* bar = qobject_cast<CProgressUI*>(part->GetControl()))
            fn(*bar);
    }
}

void CDuilibSlider::SetRange(int min, int max)
{
    ForEachBar([&](CProgressUI& bar) {
        bar.SetMinValue(min);
        bar.SetMaxValue(max);
    });
}

void CDuilibSlider::SetValue(int value)
{
    ForEachBar([&](CProgressUI& bar) { bar.SetValue(value); });
}

int CDuilibSlider::GetValue() const
{
    const auto* slider = qobject_cast<const CSliderUI*>(m_slider.GetControl());
    return slider != nullptr ? slider->GetValue() : 0;
}

void CDuilibSlider::SetToolTip(const std::string& text)
{
    if (CControlUI* slider = m_slider.GetControl())
        slider->SetToolTip(CDuiString(text));
}

#pragma once
// The actions the key handling triggers but does not own: the configurable custom keys and the
// keyboard-hook notice, the slide-show toggle, screen mirroring and the blank screen. Each is
// filled in by the part of the program that owns it; until then LoggedPresenterActions stands in,
// so a key that needs one of them is logged and otherwise harmless.
// Called from the cursor-motion thread (custom keys, hook), the service-command worker
// (slide show, mirroring) and the play/stop worker (blank screen).

class IPresenterActions {
public:
    virtual ~IPresenterActions() = default;
    // Page down held on a presenter: the presenter's custom action.
    virtual void OnPressPageDownKey() = 0;
    // Custom button or page down on a mouse-type device: that device's custom action.
    virtual void OnPressMouseCustomKey(int code) = 0;
    // Fun + page up is down (1) or up (0), for the keyboard hook.
    virtual void SetIsPressFunAndUp(int pressed) = 0;
    // The display-on-top action ran during the current hold (the settings window stays then).
    virtual bool DisplayOnTopRan() const = 0;
    // Key release: forget the per-hold values of the custom actions (video control, display on top).
    virtual void ClearHoldValues() = 0;
    virtual void ToggleSlideShow(int devType) = 0;
    virtual void MirrorScreen(int devType) = 0;
    virtual void HideBlankScreen() = 0;
};

class LoggedPresenterActions final : public IPresenterActions {
public:
    void OnPressPageDownKey() override;
    void OnPressMouseCustomKey(int code) override;
    void SetIsPressFunAndUp(int pressed) override;
    bool DisplayOnTopRan() const override { return false; }
    void ClearHoldValues() override {}
    void ToggleSlideShow(int devType) override;
    void MirrorScreen(int devType) override;
    void HideBlankScreen() override {}
};

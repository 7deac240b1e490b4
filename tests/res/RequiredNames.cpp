#include "RequiredNames.h"

#include <initializer_list>

namespace {

using Names = std::vector<std::string>;

// prefix + each part + each number, e.g. Numbered("SelFun_", {"bk", "Text"}, 1, 6, "").
Names Numbered(const std::string& prefix, std::initializer_list<const char*> parts, int first, int last,
               const std::string& suffix = "")
{
    Names names;
    for (const char* part : parts) {
        for (int n = first; n <= last; ++n) {
            names.push_back(prefix + part + std::to_string(n) + suffix);
        }
    }
    return names;
}

void Append(Names& to, const Names& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// A slider is three controls: the slider and the two bars drawn under it.
Names Slider(const std::string& name)
{
    const std::string base = name.substr(0, name.size() - std::string("Slider").size());
    return {"Slider:" + name, "Progress:" + base + "ProgressBar1", "Progress:" + base + "ProgressBar2"};
}

Names WithoutTag(const Names& controls)
{
    Names plain;
    for (const std::string& control : controls) {
        const auto colon = control.find(':');
        plain.push_back(colon == std::string::npos ? control : control.substr(colon + 1));
    }
    return plain;
}

// The controls of each setting sub-page, styled from "<section>_<control>".
const Names& SearchlightControls()
{
    static const Names names = [] {
        Names n;
        Append(n, Slider("FunSet_W_Slider"));
        Append(n, Slider("FunSet_H_Slider"));
        Append(n, Slider("FunSet_alpha_Slider"));
        Append(n, {"Button:FunSet_ShowMouse_Bnt", "Button:FunSet_SaveStatu_Bnt"});
        return n;
    }();
    return names;
}

const Names& ZoomControls()
{
    static const Names names = [] {
        Names n;
        Append(n, Slider("FunSet_Zoom_W_Slider"));
        Append(n, Slider("FunSet_Zoom_H_Slider"));
        Append(n, Slider("FunSet_Zoom_alpha_Slider"));
        Append(n, {"Button:FunSet_Zoom_ShowMouse_Bnt", "Button:FunSet_Zoom_SaveStatu_Bnt", "Button:FunSet_ZoomMom1_Bnt",
                   "Button:FunSet_ZoomMom2_Bnt", "Button:FunSet_ZoomMom3_Bnt"});
        return n;
    }();
    return names;
}

const Names& LaserControls()
{
    static const Names names = {"Button:FunSet_laserPen_SaveStatu_Bnt", "Button:FunSet_laserPen_Red_Ratio",
                                "Button:FunSet_laserPen_Green_Ratio", "Button:FunSet_laserPen_Blue_Ratio"};
    return names;
}

const Names& PostilControls()
{
    static const Names names = [] {
        Names n = Slider("FunSet_Postil_Slider");
        Append(n, {"FunSet_Postil_Line", "Button:FunSet_Postil_Colours_Ratio", "Button:FunSet_Postil_Red_Ratio",
                   "Button:FunSet_Postil_Green_Ratio", "Button:FunSet_Postil_Blue_Ratio"});
        return n;
    }();
    return names;
}

const Names& SettingControls()
{
    static const Names names = [] {
        Names n = Slider("FunSet_Set_Slider");
        Append(n, {"Button:FunSet_Set_Weak_Ratio", "Button:FunSet_Set_Medium_Ratio", "Button:FunSet_Set_Strong_Ratio",
                   "FunSet_Set_Weak_Ratio_Text", "FunSet_Set_Medium_Ratio_Text", "FunSet_Set_Strong_Ratio_Text",
                   "FunSet_Set_ShockIntensity", "Button:FunSet_Set_Adaptive_Button", "FunSet_Set_Adaptive_Label",
                   "Button:FunSet_RecoverSysSet_Bnt"});
        return n;
    }();
    return names;
}

const Names& AdvancedControls()
{
    static const Names names = [] {
        Names n = {"Button:FunSet_Advanced_Segment_Presenter", "Button:FunSet_Advanced_Segment_Mouse"};
        Append(n, Numbered("Button:FunSet_Advanced_Features_", {"Fun"}, 1, 11, "_Radio"));
        Append(n, Numbered("FunSet_Advanced_Features_", {"Fun"}, 1, 11));
        Append(n, Numbered("FunSet_Advanced_Features_", {"Fun"}, 1, 11, "_Line"));
        Append(n, {"Button:FunSet_Advanced_Features_Fun2_Setting", "Edit:FunSet_Advanced_Features_Web_Page",
                   "Button:FunSet_Advanced_Features_Custom_Button"});
        return n;
    }();
    return names;
}

const Names& TimerControls()
{
    static const Names names = Slider("TimerSet_Slider");
    return names;
}

} // namespace

const std::vector<std::string>& LanguageFileNames()
{
    static const Names names = {"simplified_chinese.ini", "english.ini", "traditional_chinese.ini", "Japanese.ini",
                                "Korean.ini", "Thai.ini", "Vietnamese.ini", "Indonesian.ini", "Malaysian.ini",
                                "Spanish.ini", "Arabic.ini", "Russian.ini", "French.ini", "Italian.ini",
                                "Portuguese.ini", "Polish.ini", "German.ini"};
    return names;
}

const std::vector<std::string>& TextSections()
{
    static const Names names = {"funsel", "funset", "timer", "about", "help", "tooltip", "update", "reset", "blankscreen", "other"};
    return names;
}

const std::vector<std::string>& StyleSections()
{
    static const Names names = {"main_style", "funsel_style", "funset_searchlight_style", "funset_zoom_style",
                                "funset_laserPen_style", "funset_postil_style", "funset_set_style",
                                "funset_advanced_features_style", "timer_style", "about_style"};
    return names;
}

const std::vector<RequiredSkin>& RequiredSkins()
{
    static const std::vector<RequiredSkin> skins = [] {
        Names main = {"windowbackground", "CaptionICON", "CaptionName", "Button:minbtn", "Button:closebtn",
                      "Button:Bnt_SelectFunction", "Button:Bnt_SetFunction", "Button:Bnt_Timer", "Button:Bnt_AboutUs",
                      "Button:Bnt_Help", "Line_NotSelect", "Line_Select", "FunSet_demonstration", "FunSet_Mouse_Center",
                      "ElectricQuantity_TipText"};
        Append(main, Numbered("SelFun_", {"bk", "Number", "Text", "ToolTip"}, 1, 6));
        Append(main, Numbered("Button:SelFun_", {"Up", "Down", "Select"}, 1, 6));
        Append(main, {"Button:SelFun_Reset", "HotKey_Setting", "Combo:HotKey_Combox"});
        Append(main, {"Button:FunSet_Searchlight_Bnt", "Button:FunSet_DigitalLaser_Bnt", "Button:FunSet_Zoom_Bnt",
                      "Button:FunSet_Postil_Bnt", "Button:FunSet_Set_Bnt", "Button:FunSet_Advanced_Features_Bnt"});
        for (const Names* page : {&SearchlightControls(), &ZoomControls(), &LaserControls(), &PostilControls(),
                                  &SettingControls(), &AdvancedControls(), &TimerControls()}) {
            Append(main, *page);
        }
        Append(main, {"AboutUs_Ver_Info_Text1", "AboutUs_Ver_Info_Text2", "AboutUs_contactWay_Text",
                      "Button:AboutUs_contactWay_Bnt", "Button:AboutUs_Ver_Update_Bnt1", "AboutUs_Ver_Update_Text",
                      "AboutUs_Autorun_Text", "Button:AboutUs_Autorun_Bnt"});

        Names blank = {"windowbackground", "Title_Label", "Insert_Image_Label", "Button:Insert_Image_Button",
                       "Button:OK_Button", "Button:Cancel_Button"};
        Append(blank, Numbered("Button:Color", {""}, 1, 10, "_Button"));
        Append(blank, Numbered("Button:Image", {""}, 1, 3, "_Button"));
        Append(blank, Numbered("Button:Delete_Image", {""}, 1, 3, "_Button"));

        return std::vector<RequiredSkin>{
            {"MainUI.xml", main},
            {"FunctionSet_Searchlight.xml", {"windowbackground", "tanzhaodeng", "Mouse_Center"}},
            {"ZoomUI.xml", {"windowbackground"}},
            {"SearchlightUI.xml", {"windowbackground", "tanzhaodeng", "SearchLight_Mouse_Center"}},
            {"DigitalLaserUI.xml", {"windowbackground"}},
            {"PostilPencilUI.xml", {"windowbackground"}},
            {"PostilPencilTipUI.xml", {"windowbackground", "Image_Label"}},
            {"BlankScreenUI.xml", {"windowbackground"}},
            {"BlankScreenSetting.xml", blank},
            {"MessageBoxUI.xml", {"windowbackground", "Messasge_Label"}},
            {"ToolTipUI.xml", {"windowbackground", "ToolTipText"}},
            {"RecoverSysSetUI.xml", {"Button:closebtn", "TipText", "Button:YesBnt", "Button:NoBnt"}},
        };
    }();
    return skins;
}

const std::vector<LanguageKey>& RequiredLanguageKeys()
{
    static const std::vector<LanguageKey> keys = [] {
        std::vector<LanguageKey> k;
        auto add = [&k](const std::string& section, const Names& names) {
            for (const std::string& name : names) {
                k.push_back({section, name});
            }
        };
        add("funsel", {"app_name", "app_name_mouse", "app_min_button", "app_close_button", "function_choose_menu",
                       "function_choose_title", "function_hot_key_setting", "function_style_Reset", "function_mouse",
                       "function_searchlight", "function_laser", "function_magnify", "function_postil",
                       "function_sceenshot", "function_status_unable", "function_setting", "function_advanced_feaures"});
        add("funset", {"function_setting_menu", "fun_set_circle", "fun_set_status", "fun_set_color_colors",
                       "fun_set_color_red", "fun_set_color_green", "fun_set_color_blue", "fun_set_mouse_speed_title",
                       "fun_set_reset_button_title", "fun_set_advanced_features_title1",
                       "fun_set_advanced_features_title1_mouse", "fun_set_advanced_features_title3",
                       "fun_set_advanced_features_video_play_pause", "fun_set_advanced_features_sound_off",
                       "fun_set_advanced_features_ppt_full_screen", "fun_set_advanced_features_fun9_TipValue",
                       "fun_set_advanced_features_fun10_TipValue", "funSet_advanced_features_fun2_Setting",
                       "fun_set_advanced_features_Select_File_Tip", "fun_set_FunSet_Searchlight_Bnt",
                       "fun_set_FunSet_DigitalLaser_Bnt", "fun_set_FunSet_Zoom_Bnt", "fun_set_FunSet_Postil_Bnt",
                       "fun_set_FunSet_Set_Bnt", "fun_set_Advanced_Features_Bnt", "fun_set_FunSet_demonstration"});
        add("funset", Numbered("fun_set_advanced_features_", {"fun"}, 1, 11));
        add("timer", {"timer_menu"});
        add("about", {"about_menu", "about_version_title", "about_contact_us_title", "about_copyright"});
        add("help", {"help_menu"});
        add("tooltip", {"searchlight_border_round_tooltip", "searchlight_aspect_ratio_tooltip", "searchlight_alpha_tooltip",
                        "zoom_border_round_tooltip", "zoom_aspectratio_tooltip", "zoom_alpha_tooltip",
                        "postil_line_size_tooltip", "multiDevice_tooltip", "no_mirrola", "mirrola_version_lower",
                        "start_mirrola"});
        add("reset", {"fun_set_reset_alert_message1", "fun_set_reset_alert_sure", "fun_set_reset_alert_cancel",
                      "fun_set_setting_cursor_adaptive_alert_message"});
        add("blankscreen", {"blankscreen_Title_Label", "blankscreen_Insert_Image_Label", "blankscreen_Insert_Image_Button",
                            "blankscreen_OK_Button", "blankscreen_Cancel_Button"});
        add("other", {"app_status_charging", "app_status_online", "app_status_offline", "tray_setting", "tray_close"});
        add("main_style", {"main_windowbackground", "main_CaptionICON", "main_CaptionName", "main_minbtn",
                           "main_closebtn", "main_Bnt_SelectFunction", "main_Bnt_SetFunction", "main_Bnt_AboutUs_Brisan",
                           "main_Bnt_Help_Brisan", "main_Line_NotSelect", "main_Line_Select",
                           "main_ElectricQuantity_TipText", "main_CaptionICON_mouse", "main_CaptionICON_presenter",
                           "app_name", "app_name_mouse", "main_Bnt_Timer", "main_tab_selected"});
        add("funsel_style", Numbered("funsel_style_", {"bk", "Number", "Text", "ToolTip", "Up", "Down", "Select"}, 1, 6));
        add("funsel_style", {"funsel_style_HotKey_Combox"});
        add("funset_searchlight_style", {"funset_searchlight_style_demonstration",
                                         "funset_searchlight_style_demonstration_mouse_center"});
        const std::pair<const char*, const Names*> pages[] = {
            {"funset_searchlight_style", &SearchlightControls()}, {"funset_zoom_style", &ZoomControls()},
            {"funset_laserPen_style", &LaserControls()},          {"funset_postil_style", &PostilControls()},
            {"funset_set_style", &SettingControls()},             {"funset_advanced_features_style", &AdvancedControls()},
            {"timer_style", &TimerControls()}};
        for (const auto& [section, controls] : pages) {
            for (const std::string& control : WithoutTag(*controls)) {
                k.push_back({section, std::string(section) + "_" + control});
            }
        }
        add("about_style", {"about_style_Ver_Info_Text1", "about_style_Ver_Info_Text2", "about_style_contactWay_Text",
                            "about_style_contactWay_Bnt"});
        return k;
    }();
    return keys;
}

const std::vector<std::string>& PicturesNamedInCode()
{
    static const Names pictures = [] {
        Names p = {"button/FunctionSet/on.png", "button/FunctionSet/off.png", "button/FunctionSet/Up1.png",
                   "button/FunctionSet/Up3.png", "button/FunctionSet/Down1.png", "button/FunctionSet/Down3.png",
                   "Setting/bk1.png", "Setting/bk2.png", "button/FunctionSet/Normal.png",
                   "button/FunctionSet/NormalSelect.png", "button/Select.png", "button/SelectNot.png",
                   "button/FunctionSet/Mouse_Center.png", "button/FunctionSet/DigitalLaser/red@10x.png",
                   "button/FunctionSet/DigitalLaser/green@10x.png", "button/FunctionSet/DigitalLaser/blue@10x.png",
                   "button/FunctionSet/PostilLine.png", "button/FunctionSet/PostilLine_Red.png",
                   "button/FunctionSet/PostilLine_Green.png", "button/FunctionSet/PostilLine_Blue.png",
                   "bkimage/Zoom.bmp", "logo/tray.png"};
        Append(p, Numbered("button/FunctionSet/Custom/", {"Color", "Color_Select"}, 1, 10, ".png"));
        Append(p, Numbered("button/FunctionSet/Custom/", {"Image", "Image_Select"}, 1, 3, ".png"));
        for (const char* function : {"mouse", "searchlight", "laser", "magnify", "postil", "screenshot"}) {
            p.push_back(std::string("icon/fun_") + function + ".png");
            p.push_back(std::string("icon/fun_") + function + "_off.png");
        }
        return p;
    }();
    return pictures;
}

const std::vector<ConfigDefault>& ConfigDefaults()
{
    static const std::vector<ConfigDefault> defaults = [] {
        std::vector<ConfigDefault> d = {
            {"FunSelect", "NewVersion", "1"},
            {"FunSelect", "SelValue", "123456"},
            {"FunSelect", "IsUsed", "111110"},
            {"FunSelect", "Mouse_SelValue", "123456"},
            {"FunSelect", "Mouse_IsUsed", "111110"},
            {"FunSelect", "HotKey", "3"},
            {"FunSet_Set", "MouseDPI", "80"},
            {"FunSet_Set", "ShockIntensity", "2"},
            {"FunSet_Set", "CursorSpeedAdaptiveModel", "0"},
            {"FunSet_Searchlight", "ShowMouse", "0"},
            {"FunSet_Searchlight", "SaveStatu", "0"},
            {"FunSet_Searchlight", "BorderRound", "0.500000"},
            {"FunSet_Searchlight", "AspectRatio", "0.500000"},
            {"FunSet_Searchlight", "AlphaVal", "100"},
            {"FunSet_Zoom", "ShowMouse", "0"},
            {"FunSet_Zoom", "SaveStatu", "0"},
            {"FunSet_Zoom", "BorderRound", "0.500000"},
            {"FunSet_Zoom", "AspectRatio", "0.500000"},
            {"FunSet_Zoom", "AlphaVal", "100"},
            {"FunSet_Zoom", "ZoomMom", "2.000000"},
            {"FunSet_DigitalLaser", "SaveStatu", "0"},
            {"FunSet_DigitalLaser", "DigitalLaserColor", "1"},
            {"FunSet_Postil", "LineColor", "1"},
            {"FunSet_Postil", "LineSize", "6"},
            {"FunSet_Postil", "MovementSpeed", "40"},
            {"FunSet_Postil", "IsControlSpeed", "0"},
            {"UpdateVersion", "IsFirstRun", "1"},
            {"CustomKey", "key", "1"},
            {"CustomKey", "keyForMouse", "1"},
            {"CustomKey", "weburl", ""},
            {"CustomKey", "weburlForMouse", ""},
            {"CustomKey", "keybordValue1", "-1"},
            {"CustomKey", "keybordValue2", "-1"},
            {"CustomKey", "keybordValue1ForMouse", "-1"},
            {"CustomKey", "keybordValue2ForMouse", "-1"},
            {"CustomKey", "SelectType", "1"},
            {"CustomKey", "SelectIndex", "1"},
            {"CustomKey", "SelectTypeForMouse", "1"},
            {"CustomKey", "SelectIndexForMouse", "1"},
            {"Log", "Log_Level", "1"},
            {"Log", "Log_Delete_Day", "7"},
        };
        for (int n = 1; n <= 3; ++n) {
            d.push_back({"CustomKey", "Image" + std::to_string(n) + "Url", ""});
            d.push_back({"CustomKey", "Image" + std::to_string(n) + "UrlForMouse", ""});
        }
        return d;
    }();
    return defaults;
}

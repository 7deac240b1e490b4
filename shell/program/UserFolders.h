#pragma once
// Where the program's files live. The install folder always holds what ships with the program
// (InitConfig.ini, SetupVersion.txt, ImgRes.zip). When the user may write to it (the portable
// bundle), each user file sits beside the program as well; when not (a system install), each
// user keeps their own in the XDG folders: config.ini in $XDG_CONFIG_HOME/Orvelle, log/ in
// $XDG_STATE_HOME/Orvelle and the unpacked ImgRes in $XDG_CACHE_HOME/Orvelle. These are the only
// places that decide a path; everything else asks them.

#include <functional>
#include <string>

class CUserFolders {
public:
    static constexpr const char* kAppFolder = "Orvelle";
    using Environment = std::function<const char*(const char* name)>;

    // The folders for the program in `installFolder`, as this user and this environment see them.
    static CUserFolders For(const std::string& installFolder);
    // The decision itself: `installWritable` tells whether the user may write to the install
    // folder. Without HOME and XDG variables a read-only install folder is kept (writes then fail
    // and say so).
    static CUserFolders Decide(const std::string& installFolder, bool installWritable, const Environment& env);

    bool IsPortable() const { return m_portable; }
    const std::string& InstallFolder() const { return m_install; }
    // The folder of config.ini.
    const std::string& ConfigFolder() const { return m_config; }
    // The folder that holds log/ (the daily logs and crash reports).
    const std::string& StateFolder() const { return m_state; }
    // The folder that ImgRes.zip is unpacked into, holding ImgRes/.
    const std::string& SkinFolder() const { return m_skin; }
    std::string LogFolder() const { return m_state + "/log"; }
    // The user's own cache folder ($XDG_CACHE_HOME/Orvelle), also for a portable bundle: where
    // pictures made at run time go when the skin folder cannot be written. Empty without HOME.
    const std::string& UserCacheFolder() const { return m_userCache; }

    // Creates the user's folders (0700) that do not exist yet. False when one cannot be had.
    bool Create() const;
    // The unpacking failed and the user's skin folder holds no skin: the skin shipped beside the
    // program is used instead.
    void UseInstalledSkinIfMissing();

private:
    std::string m_install;
    std::string m_config;
    std::string m_state;
    std::string m_skin;
    std::string m_userCache;
    bool m_portable = true;
};

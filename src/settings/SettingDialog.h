#pragma once
// The settings dialog: every setting but the window positions, loaded from the
// settings file each time it is shown and written back on Save.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/IniFile.h"
#include "settings/ProgramSearch.h"
#include "ui/Form.h"

// The Windows login name of the current user; nothing when the system cannot
// tell.
std::optional<std::string> CurrentLoginName();

class TfrmSetting : public ui::Form {
public:
    // The settings file is lent by the owner and must outlive the dialog.
    TfrmSetting(HWND owner, IniFile& settings);

    // Controls, in tab order.
    ui::GroupBox fraProxyType;
    ui::ComboBox cmbProxyType, cmbAnyOption;
    ui::GroupBox GrpTimeout;
    ui::Edit txtTimeout;
    ui::Label LabelSec;
    ui::GroupBox fraDefaultProxy;
    ui::Edit txtDefaultProxy;
    ui::GroupBox GrpBrowser;
    ui::ComboBox cmbBrowser;
    ui::GroupBox fraProviderURL;
    ui::Label LbLAnonymous;
    ui::Edit txtAnonymousURL;
    ui::Label LbLNonAnonymousURL;
    ui::Edit txtNonAnonymousURL;
    ui::Label LbLSpeedRL;
    ui::Edit txtSpeedURL;
    ui::Label Label1;
    ui::Edit txtPasswdURL;
    ui::Label LabelUID;
    ui::Edit txtUserID, txtPassword;
    ui::GroupBox grpCheckerURL;
    ui::Label LbLCheckerURL1;
    ui::Edit txtCheckerURL1;
    ui::Label LbLCheckerURL2;
    ui::Edit txtCheckerURL2;
    ui::GroupBox grpTerminal;
    ui::ComboBox cmbTerminal;
    ui::GroupBox GroupBox1;
    ui::Label Label2;
    ui::Edit txtChromePath;
    ui::Button cmdChromeScan;
    ui::GroupBox fraFireFoxini;
    ui::Label LbLFirefoxPath;
    ui::Edit txtFirefoxPath;
    ui::Label LbLFirefoxIni;
    ui::Edit txtFirefoxIni;
    ui::Button cmdFirefoxScan;
    ui::CheckBox chkFirefoxFollowWindows;
    ui::GroupBox fraOperaini;
    ui::Label LbLOperaPath;
    ui::Edit txtOperaPath;
    ui::Label LbLOperaIni;
    ui::Edit txtOperaIni;
    ui::Button cmdAutoScan;
    ui::GroupBox grpEdge;
    ui::Label LbLEdgePath;
    ui::Edit txtEdgePath;
    ui::Button cmdEdgeScan;
    ui::GroupBox grpWatch;
    ui::Label LbLWatch;
    ui::Edit txtWatch;
    ui::Label LbLWatchSec;
    ui::CheckBox chkAutoNext;
    ui::Button OKBtn, CancelBtn, cmdInitialize;

    void OKBtnClick();
    void cmdInitializeClick();
    void cmbBrowserClick();
    void cmdAutoScanClick();
    void cmdFirefoxScanClick();
    void cmdChromeScanClick();
    void cmdEdgeScanClick();

    // Where the Auto buttons look. The defaults are the real places; tests
    // point them at scratch ones.
    std::string appDataFolder;  // empty: the roaming application data folder
    std::string operaIniTemplate;
    ProgramSearch programSearch;
    std::function<std::optional<std::string>()> loginName = CurrentLoginName;

protected:
    void FormShow() override;

private:
    // A control bound to its key: a drop-down list stores its item index, an
    // edit field its text as typed (named as the user finds it on the
    // dialog), a check box 1 or 0.
    struct Field {
        Field(ui::ComboBox& c, const IntSetting& s) : list(&c), index(s) {}
        Field(ui::Edit& e, const TextSetting& s, const char* n) : edit(&e), text(s), name(n) {}
        Field(ui::CheckBox& b, const IntSetting& s) : box(&b), index(s) {}
        ui::ComboBox* list = nullptr;
        ui::CheckBox* box = nullptr;
        IntSetting index{};
        ui::Edit* edit = nullptr;
        TextSetting text{};
        const char* name = "";
    };
    // The first edit field whose text the settings file cannot hold, if any.
    const Field* UnstorableField() const;

    void LoadPosition();
    void SavePosition();
    void CheckBrowserPath(int kind);
    void CheckProgram(int kind, const ui::Edit& programPath, ui::Edit& prefsFile, ui::Button& autoButton,
                      const char* notFoundText);
    // The program path field of a kind gets where the search finds it.
    void FillFromSearch(int kind, ui::Edit& programPath);
    void LoadIndex(ui::ComboBox& list, const IntSetting& key);
    void SaveIndex(const ui::ComboBox& list, const IntSetting& key);
    void ExpandUserName(std::string& path) const;
    std::string ReadOperaProxyServer(const std::string& path) const;

    IniFile& settings_;
    // Every stored field, in the order Save and Initialization write them.
    std::vector<Field> fields_;
};

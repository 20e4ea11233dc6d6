// The main window: status lines, category and address boxes, the save path, the album grid
// with its links, the menus, and the engine (MainState) behind them.
//
// The engine's threads never touch a widget: they reach the window through WindowPort,
// which queues status texts and album rows onto the window thread and, for questions,
// messages and login requests, waits until the window thread has answered.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "app/dlg_web_open.h"
#include "app/thumbnails.h"
#include "app/window_port.h"
#include "engine/main_state.h"
#include "engine/startup.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QWebEngineProfile;

namespace zentrow {

class BrowserCookies;
class CComboBox2;
class CDlgFind;
class CMyGridCtrl;
class CSplashScreenEx;
class Prompts;

// Menu commands, by the numbers the program has always used for them.
enum Command : int {
  ID_LOGIN_METHOD = 32796,
  ID_LOGIN_QQ = 32781,
  ID_LOGIN_TWEIBO = 32782,
  ID_LOGIN_BAIDU = 32789,
  ID_LOGIN_NETEASE = 32790,
  ID_LOGIN_RENREN = 32791,
  ID_LOGIN_YUPOO = 32792,
  ID_LOGIN_MOKO = 32793,
  ID_LOGIN_WEIBO = 32794,
  ID_LOGIN_TAOBAO = 32803,
  ID_LOGIN_56 = 32813,
  ID_LOGIN_HUPU = 32815,
  ID_LOGIN_CUSTOM = 32795,
  ID_DOWNLOAD_SETTINGS = 32778,
  ID_NAME_SETTINGS = 32779,
  ID_LIST_ONLY = 32802,
  ID_SOURCE_NAMES = 32804,
  ID_FIX_ORDER = 32799,
  ID_FIX_FORMAT = 32800,
  ID_SKIP_DOWNLOADED = 32774,
  ID_OPEN_FOLDER = 32812,
  ID_MAIN_PICTURES = 32808,
  ID_DESCRIPTION_PICTURES = 32814,
  ID_YUPOO_BIG = 32776,
  ID_IMPORT_LIST = 32811,
  ID_EXPORT_LIST = 32809,
  ID_EXPORT_THUNDER = 32810,
  ID_FILE_TOOL = 32807,
  ID_INSTRUCTIONS = 32806,
  ID_CONSULTATION = 32773,
  ID_FEEDBACK = 32772,
  ID_ABOUT = 32775,
};

// The address the "QQ空间/QQ群" login opens: the user's own space when the address box
// holds a QQ number (digits only, possibly empty) and the sub-kind is QQ Zone.
QString QqLoginAddress(const QString& addressText, int subKind);

class CZentrowDlg : public QMainWindow {
  Q_OBJECT
 public:
  struct Options {
    const SiteTable* sites = nullptr;
    Text workingFolder;     // the base folder: "soft.dat", "cookies.txt", "tmp/"
    Text temporaryFolder;   // running from below it proposes documentsFolder + "Trelvik/"
    Text documentsFolder;
    Prompts* prompts = nullptr;
    std::function<StartupConfig()> loadStartup = LoadStartupConfig;
    QString manualPath;     // the user manual the help commands open
    QString projectPagePath;  // what the contact link opens
  };

  // The controls, for the window tests.
  struct Controls {
    QLabel* notice;
    QLabel* status1;
    QLabel* status2;
    QProgressBar* albumProgress;    // beside the status lines while a download runs
    QProgressBar* pictureProgress;
    QComboBox* category;
    QComboBox* subKind;
    CComboBox2* address;
    QPushButton* getAlbums;
    QPushButton* download;
    CComboBox2* savePath;
    QPushButton* choosePath;
    QPushButton* openPath;
    QGroupBox* albumGroup;
    CMyGridCtrl* grid;
    QLabel* exportLink;
    QLabel* filterLink;
    QLabel* findLink;
    QCheckBox* thumbnails;
    QCheckBox* selectAll;
    QLabel* praise[3];
    QLabel* bottomLine;
    QLabel* updateLink;
    QLabel* contactLink;
  };

  explicit CZentrowDlg(Options options, QWidget* parent = nullptr);
  ~CZentrowDlg() override;

  MainState& State() { return *state_; }
  const Controls& Ui() const { return ui_; }
  QAction* CommandAction(int id) const;
  QMenu* OptionsMenu() const { return optionsMenu_; }
  CDlgFind* FindWindow() const { return find_; }
  CDlgWebOpen* OpenLoginWindow() const { return openLogin_; }
  QWebEngineProfile& LoginProfile();
  CSplashScreenEx* Splash() const { return splash_.get(); }
  bool ReShowRunning() const { return modeSwitch_ != 0; }
  const ThumbnailList& Thumbnails() const { return thumbnails_; }

  // Files dropped on the window: the first one's folder becomes the save path.
  void DropPaths(const QStringList& paths);
  // Opens the login window at the address: modeless (one at a time) with the login-method
  // flag set, modal without it.
  void OpenLoginPage(const QString& address);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class WindowPort;

  void BuildControls();
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, int id, const QString& text, std::function<void()> effect);
  void AddOption(QMenu* menu, int id, const QString& text, uint16_t bit);
  void StartUp();
  void ConfigLoaded(const StartupConfig& config);

  // Address classification and the category's effect on the window.
  void Classify();
  void CategoryChanged();
  void UpdateMenuStates();

  // Buttons and links.
  void GetAlbums();
  void Download();
  void ChooseSavePath();
  void OpenSavePath();
  void OfferSavePath(const QString& path);
  void SwitchMode(bool tiles);
  void SelectAll(bool ticked);
  CDlgFind& EnsureFind();
  void ShowFind();
  void Find(bool forward);
  void ShowFilter();
  void OpenPage(const QString& address);
  void OpenManual();
  void ShowAbout();
  void ToggleOption(uint16_t bit, bool set);

  // The engine's reports, on the window thread.
  void ShowListedAlbums(std::vector<ST_PERLISTRECORD> albums, std::vector<CoverResult> covers);
  void AlbumsCleared();
  void ListingLook(bool running, int albumCount);
  void DownloadLook(bool running);
  void DownloadEnded(const DownloadTotals& totals);
  void AddressHistoryTaken();
  void RequestLogin(const QString& address);

  // The grid's re-show (mode switch, filter) on its own thread.
  void StartReShow();
  void StopReShow();
  void ReShowBatch(quint64 generation, std::vector<ST_PERLISTRECORD> albums, std::vector<CoverResult> covers);
  void ReShowDone(quint64 generation);
  bool TileLook() const { return thumbnailMode_; }

  Options options_;
  Prompts& prompts_;
  Text baseFolder_;
  WindowPort port_;
  std::unique_ptr<MainState> state_;
  Controls ui_{};
  QStackedWidget* topLine_ = nullptr;  // the notice, then the status lines
  std::map<int, QAction*> commands_;
  QMenu* optionsMenu_ = nullptr;
  ThumbnailList thumbnails_;
  std::atomic<bool> thumbnailMode_{false};
  std::unique_ptr<CSplashScreenEx> splash_;
  StartupConfig config_;
  std::thread startup_;
  bool loginMethod_ = true;
  bool downloadByButton_ = false;  // the running download was started with "下载"

  CDlgFind* find_ = nullptr;
  Text filterKeyword_;
  std::atomic<int> modeSwitch_{0};  // 0 idle, 1 re-showing, 2 stop requested
  quint64 gridGeneration_ = 0;      // tells a re-show's rows from those of a newer set-up
  std::thread reShow_;

  std::unique_ptr<QWebEngineProfile> profile_;
  BrowserCookies* browserCookies_ = nullptr;
  QPointer<CDlgWebOpen> openLogin_;
};

}  // namespace zentrow

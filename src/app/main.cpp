// zentrow: the desktop program. The working folder (the current directory) holds the
// settings, the cookie store and the cover cache, as for zentrow-cli.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "app/dlg_web_open.h"
#include "app/prompts.h"
#include "app/qtext.h"
#include "app/zentrow_dlg.h"
#include "net/cookies.h"
#include "sites/sites.h"

namespace zentrow {

class CZentrowApp : public QApplication {
 public:
  CZentrowApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("zentrow"));
    setApplicationVersion(QString::fromLatin1(kProgramVersion));
  }

  int Run() {
    const QString work = QDir::currentPath();
    net::CookieStore::Instance().Open(work.toStdString());
    DesktopPrompts prompts;
    CZentrowDlg::Options options;
    options.sites = &ProductionSites();
    options.workingFolder = T(work);
    options.temporaryFolder = T(QDir::tempPath());
    options.documentsFolder = T(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    options.prompts = &prompts;
    options.manualPath = applicationDirPath() + QStringLiteral("/manual.md");
    options.projectPagePath = applicationDirPath() + QStringLiteral("/README.md");
    CZentrowDlg window(std::move(options));  // shows itself once the start-up has run
    return exec();
  }
};

}  // namespace zentrow

int main(int argc, char** argv) {
  zentrow::PrepareWebEngine();
  zentrow::CZentrowApp app(argc, argv);
  return app.Run();
}

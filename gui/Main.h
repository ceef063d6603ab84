#pragma once

#include "core/crawl/CrawlHost.h"
#include "core/crawl/DownloadSession.h"
#include "core/platform/ProgramFolder.h"
#include "core/settings/Settings.h"
#include "gui/widgets/ReadingOrder.h"

#include <QString>
#include <QWidget>

class Check;
class DownloadPanel;
class QLabel;
class QLineEdit;
class RImage;
class SpinArrows;
class TamskXpButton;
class TextPacer;

// The program's one main window: page count, proxy settings, the buttons that run the download,
// open the album and the two dialogs, and the settings kept in options.ini in the program folder.
class Main : public QWidget, public CrawlHost, public ReadingOrder {
    Q_OBJECT
public:
    // Builds the window and runs its load step; shows the first-run window when options.ini is
    // missing or empty. The window is shown by the caller.
    explicit Main(const ProgramFolder& folder, QWidget* parent = nullptr);
    ~Main() override;

    // Saves the five settings; never cancels.
    void Form_Unload();

    DownloadSession& session() { return m_session; }
    qint16 CasheSizeSetting() const { return m_CasheSizeSetting; }
    bool ProxyOn() const { return m_ProxyOn; }

    // The window as a download run sees it.
    RunSettings runSettings() const override;
    void setRunState(RunState state) override;
    void setStat(const QString& text) override;
    void setPreviewPicture(const QString& path) override;
    void setTraffic(qint64 count) override;
    void failureExit(const QString& text, const QString& title) override;

    // The controls as a screen reader reads them and as Tab visits them.
    QList<QWidget*> readingOrder() const override;

Q_SIGNALS:
    // The program is to end now: the window has saved its settings and is gone. Whoever runs the
    // event loop ends it.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static void showStat(QLabel* stat, const QString& text);
    void buildControls();
    void buildProxyGroup();
    void buildButtons();
    void setTabOrder();
    void connectSession();

    void Form_Load();
    void restoreSettings();
    void firstStart();
    void setPageCount(qint16 count);
    Settings currentSettings() const;

    void VS_Change(int value);
    void UseProxy_Click();
    void UpdateProxyFields();
    void paceStatusTexts(bool paced);
    void OpenAlboom_Click();
    void cashe_Click();
    void AboutB_Click();
    void Exit_Click();
    void unload();
    void endProgram();

    const ProgramFolder m_folder;
    DownloadSession m_session;

    qint16 m_CasheSizeSetting = 0;
    bool m_ProxyOn = false;
    bool m_Loading = false;
    bool m_unloaded = false;

    QLabel* m_BG = nullptr;
    RImage* m_RImage = nullptr;
    DownloadPanel* m_DC = nullptr;
    QLabel* m_stat = nullptr;
    QLabel* m_TR = nullptr;
    TextPacer* m_statPacer = nullptr;
    TextPacer* m_TRPacer = nullptr;
    TamskXpButton* m_Down = nullptr;
    QLabel* m_VL = nullptr;
    SpinArrows* m_VS = nullptr;
    TamskXpButton* m_cashe = nullptr;
    Check* m_UseProxy = nullptr;
    QLabel* m_Label4 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLineEdit* m_ProxyA = nullptr;
    QLabel* m_Label3 = nullptr;
    QLineEdit* m_ProxyP = nullptr;
    TamskXpButton* m_AboutB = nullptr;
    TamskXpButton* m_OpenAlboom = nullptr;
    TamskXpButton* m_Exit = nullptr;
};

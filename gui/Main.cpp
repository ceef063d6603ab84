#include "gui/Main.h"

#include "core/net/EngineTexts.h"
#include "core/platform/BrowserStart.h"
#include "core/platform/Cp1251.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Logging.h"
#include "core/settings/Settings.h"
#include "gui/dialogs/About.h"
#include "gui/dialogs/First.h"
#include "gui/dialogs/Options.h"
#include "gui/resources/Artwork.h"
#include "gui/widgets/Check.h"
#include "gui/widgets/DownloadPanel.h"
#include "gui/widgets/ModalHook.h"
#include "gui/widgets/PropertyBag.h"
#include "gui/widgets/RImage.h"
#include "gui/widgets/ShapeOutline.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/TextPacer.h"
#include "gui/widgets/Twips.h"
#include "gui/widgets/WindowLook.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace {

constexpr int ClientWidth = 5565;
constexpr int ClientHeight = 3585;
constexpr quint32 ButtonHoverColour = 0x00000000; // black

const QString CaptionIdle = u"Качать"_s;
const QString CaptionRunning = u"Стой сцуко!"_s;

// An empty file is what a first start leaves when it is killed before the defaults are written:
// it holds no settings, so the next start is a first start again.
bool settingsStored(const QString& optionsPath)
{
    return FileSystem::FileExists(optionsPath) && QFileInfo(optionsPath).size() > 0;
}

// The text goes in once the field has the window's font: a field made with its text lays it out
// in the application's default font first, which loads that font only to throw the layout away.
QLineEdit* addField(QWidget& window, const QString& text)
{
    auto* field = new QLineEdit(&window);
    field->setText(text);
    return field;
}

} // namespace

Main::Main(const ProgramFolder& folder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_folder(folder), m_session(*this, folder)
{
    setObjectName(u"Main"_s);
    setWindowTitle(u"Zolvane VerezOzavidozoz"_s);
    setWindowIcon(Artwork::windowIcon());
    setFont(WindowLook::msSansSerif());
    WindowLook::fixClientSize(*this, ClientWidth, ClientHeight);

    buildControls();
    setTabOrder();
    connectSession();
    Form_Load();
    WindowLook::centreOnScreen(*this);
}

Main::~Main() = default;

void Main::buildControls()
{
    m_BG = WindowLook::addBackground(*this);

    m_RImage = new RImage(this);
    m_RImage->setObjectName(u"RImage"_s);
    m_RImage->setGeometry(Twips::toPixels(60, 60, 3495, 2625));

    m_DC = new DownloadPanel(this);
    m_DC->setObjectName(u"DC"_s);
    m_DC->setGeometry(Twips::toPixels(60, 2700, 3495, 585));

    m_stat = WindowLook::addLabel(*this, u"stat"_s, u"Гатоф"_s, font(), 60, 3300, 3525, 255);
    m_TR = WindowLook::addLabel(*this, u"TR"_s, u"Трафек: 0 Кб"_s, font(), 3660, 3300, 1815, 255);
    m_statPacer = new TextPacer(m_stat, this, &Main::showStat);
    m_TRPacer = new TextPacer(m_TR, this);

    m_VL = WindowLook::addLabel(*this, u"VL"_s, u"10"_s, font(), 3780, 600, 480, 255);
    m_VL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_VS = new SpinArrows(this);
    m_VS->setObjectName(u"VS"_s);
    m_VS->setGeometry(Twips::toPixels(4260, 600, 195, 255));
    m_VS->setRange(Settings::PageCountMin, Settings::PageCountMax);
    m_VS->setValue(Settings().DownloadImages);
    m_VS->setFocusPolicy(Qt::NoFocus);
    connect(m_VS, &SpinArrows::valueChanged, this, &Main::VS_Change);
    const QLabel* unit =
        WindowLook::addLabel(*this, u"Label1"_s, u"штук"_s, font(), 4500, 660, 360, 195);
    m_VS->setAccessibleName(unit->text()); // the count, its digits and its unit read as one

    buildProxyGroup();
    buildButtons();
}

void Main::buildProxyGroup()
{
    auto* frame = new ShapeOutline(SystemColors::toColor(SystemColors::WindowText), this);
    frame->setObjectName(u"Shape1"_s);
    frame->setGeometry(Twips::toPixels(3660, 960, 1815, 1035));

    m_UseProxy = new Check(this);
    m_UseProxy->setObjectName(u"UseProxy"_s);
    m_UseProxy->setGeometry(Twips::toPixels(3780, 1035, 195, 195));
    m_UseProxy->ReadProperties(PropertyBag());
    connect(m_UseProxy, &Check::Click, this, &Main::UseProxy_Click);
    m_Label4 =
        WindowLook::addLabel(*this, u"Label4"_s, u"через прокси"_s, font(), 4020, 1020, 1020, 195);
    m_UseProxy->setCaption(m_Label4); // the box has no caption of its own

    m_Label2 = WindowLook::addLabel(*this, u"Label2"_s, u"Адрес"_s, font(), 3780, 1320, 465, 195);
    m_ProxyA = addField(*this, u"127.0.0.1"_s);
    m_ProxyA->setObjectName(u"ProxyA"_s);
    m_ProxyA->setGeometry(Twips::toPixels(4320, 1260, 1035, 285));
    m_Label2->setBuddy(m_ProxyA);

    m_Label3 = WindowLook::addLabel(*this, u"Label3"_s, u"Порт"_s, font(), 3840, 1680, 375, 195);
    m_ProxyP = addField(*this, u"8080"_s);
    m_ProxyP->setObjectName(u"ProxyP"_s);
    m_ProxyP->setGeometry(Twips::toPixels(4320, 1620, 1035, 285));
    m_Label3->setBuddy(m_ProxyP);

    for (QWidget* field : {static_cast<QWidget*>(m_Label2), static_cast<QWidget*>(m_ProxyA),
                           static_cast<QWidget*>(m_Label3), static_cast<QWidget*>(m_ProxyP)})
        field->setEnabled(false);
}

void Main::buildButtons()
{
    const auto makeButton = [this](const QString& name, const QString& caption, int left, int top,
                                   int width, int height) {
        return WindowLook::addButton(*this, {name, caption, left, top, width, height,
                                             SystemColors::WindowFrame, ButtonHoverColour});
    };
    m_Down = makeButton(u"Down"_s, u"Качать"_s, 3660, 120, 1815, 375);
    m_cashe = makeButton(u"cashe"_s, u"Кэш"_s, 5040, 570, 435, 315);
    m_AboutB = makeButton(u"AboutB"_s, u"Аффтар"_s, 3660, 2040, 1815, 375);
    m_OpenAlboom = makeButton(u"OpenAlboom"_s, u"Фтыкать"_s, 3660, 2460, 1815, 375);
    m_OpenAlboom->setEnabled(false);
    m_Exit = makeButton(u"Exit"_s, u"Свалить"_s, 3660, 2880, 1815, 375);

    connect(m_cashe, &TamskXpButton::Click, this, &Main::cashe_Click);
    connect(m_AboutB, &TamskXpButton::Click, this, &Main::AboutB_Click);
    connect(m_OpenAlboom, &TamskXpButton::Click, this, &Main::OpenAlboom_Click);
    connect(m_Exit, &TamskXpButton::Click, this, &Main::Exit_Click);
}

// Tab indices Down 0, RImage 1, VS 2, DC 9, AboutB 10, ProxyP 11, ProxyA 12, OpenAlboom 16,
// Exit 17, cashe 19: the port box comes before the address box. The check box follows the page
// count, so the keyboard meets it before the fields it switches. A label comes before the field it
// names; the count's digits and unit, the background and the frame are left out.
QList<QWidget*> Main::readingOrder() const
{
    return {m_Down,   m_RImage, m_VS,     m_Label4, m_UseProxy, m_DC,         m_stat, m_TR,
            m_AboutB, m_Label3, m_ProxyP, m_Label2, m_ProxyA,   m_OpenAlboom, m_Exit, m_cashe};
}

void Main::setTabOrder()
{
    ReadingOrder::chainTabOrder(readingOrder());
}

void Main::Form_Load()
{
    m_BG->setGeometry(0, 0, width(), height());
    if (FileSystem::FileExists(m_folder.album()))
        m_OpenAlboom->setEnabled(true);
    if (settingsStored(m_folder.options()))
        restoreSettings();
    else
        firstStart();
}

void Main::restoreSettings()
{
    m_Loading = true;
    const Settings settings = Settings::load(m_folder.options());
    setPageCount(settings.DownloadImages);
    m_ProxyOn = settings.UseProxy;
    m_UseProxy->setValue(m_ProxyOn);
    UpdateProxyFields();
    m_ProxyA->setText(Cp1251::toUnicode(settings.ProxyName));
    m_ProxyP->setText(Cp1251::toUnicode(settings.ProxyPort));
    m_CasheSizeSetting = settings.CasheSize;
    m_Loading = false;
}

void Main::firstStart()
{
    // The writes below fail quietly as well; the defaults still hold for this session.
    if (const FileIo::Error error = FileSystem::CreateTextFile(m_folder.options()))
        qCWarning(lcFiles).noquote() << "options file not made:" << error.message();
    First first(this);
    ModalHook::exec(first);
    const Settings defaults;
    setPageCount(defaults.DownloadImages);
    m_CasheSizeSetting = defaults.CasheSize;
    Form_Unload();
}

void Main::setPageCount(qint16 count)
{
    m_session.setPageCount(count);
    m_VS->setValue(count);
    m_VL->setText(QString::number(count));
}

Settings Main::currentSettings() const
{
    Settings settings;
    settings.DownloadImages = m_session.PageCount();
    settings.UseProxy = m_ProxyOn;
    settings.ProxyName = Cp1251::fromUnicode(m_ProxyA->text());
    settings.ProxyPort = Cp1251::fromUnicode(m_ProxyP->text());
    settings.CasheSize = m_CasheSizeSetting;
    return settings;
}

void Main::Form_Unload()
{
    currentSettings().save(m_folder.options());
}

void Main::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

// Saves once, then lets a run in progress end quietly with the pages complete so far: the run is
// switched off, the engine's wait gives up, and no run starts afterwards.
void Main::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    m_session.windowClosing();
}

void Main::VS_Change(int value)
{
    m_VL->setText(QString::number(value));
}

void Main::UseProxy_Click()
{
    if (m_Loading)
        return;
    // Follow the box itself, so a middle click or a double-click never leaves the two disagreeing.
    m_ProxyOn = m_UseProxy->Value();
    UpdateProxyFields();
}

void Main::UpdateProxyFields()
{
    for (QWidget* field : {static_cast<QWidget*>(m_ProxyA), static_cast<QWidget*>(m_ProxyP),
                           static_cast<QWidget*>(m_Label2), static_cast<QWidget*>(m_Label3)})
        field->setEnabled(m_ProxyOn);
}

void Main::OpenAlboom_Click()
{
    m_Down->setFocus();
    if (const BrowserStart::Error error = BrowserStart::StartBrowser(m_folder.album()))
        setStat(u"Браузер не запустился"_s);
}

void Main::cashe_Click()
{
    Options options(m_session.engine().cache(), m_CasheSizeSetting, this);
    options.setClearCashe([this] { return m_session.ClearCashe(); });
    if (ModalHook::exec(options) == QDialog::Accepted) {
        m_CasheSizeSetting = options.CasheSizeSetting();
        Settings::saveCasheSize(m_folder.options(), m_CasheSizeSetting);
    }
    m_Down->setFocus();
}

void Main::AboutB_Click()
{
    About about(this);
    ModalHook::exec(about);
    m_Down->setFocus();
}

void Main::Exit_Click()
{
    unload();
    endProgram();
}

void Main::connectSession()
{
    m_DC->follow(&m_session.engine());
    connect(m_Down, &TamskXpButton::Click, &m_session, &DownloadSession::Down_Click);
}

CrawlHost::RunSettings Main::runSettings() const
{
    return {m_VL->text(), m_ProxyOn, m_ProxyA->text(), m_ProxyP->text(), m_CasheSizeSetting};
}

void Main::setRunState(RunState state)
{
    switch (state) {
    case RunState::Running:
        paceStatusTexts(true);
        Form_Unload();
        m_Down->setCaption(CaptionRunning);
        m_cashe->setEnabled(false);
        m_VL->setEnabled(false);
        m_VS->setEnabled(false);
        break;
    case RunState::SwitchedOff:
        paceStatusTexts(false);
        m_Down->setCaption(CaptionIdle);
        m_cashe->setEnabled(true);
        m_VL->setEnabled(true);
        break;
    case RunState::Idle:
        paceStatusTexts(false);
        if (FileSystem::FileExists(m_folder.album()))
            m_OpenAlboom->setEnabled(true);
        m_Down->setCaption(CaptionIdle);
        m_cashe->setEnabled(true);
        m_VL->setEnabled(true);
        m_VS->setEnabled(true);
        m_Down->setFocus();
        break;
    }
}

void Main::setStat(const QString& text)
{
    m_statPacer->setText(text);
}

// A text too long for the label shows its start there; the whole text is in the tooltip and
// read out as the label's description. Measured only when it shows: a run gives many more.
void Main::showStat(QLabel* stat, const QString& text)
{
    const int room = stat->contentsRect().width();
    const QFontMetrics metrics = stat->fontMetrics();
    const bool fits = metrics.horizontalAdvance(text) <= room;
    const QString whole = fits ? QString() : text;
    stat->setToolTip(whole);
    stat->setAccessibleDescription(whole);
    stat->setText(fits ? text : metrics.elidedText(text, Qt::ElideRight, room));
}

// During a run the status texts change faster than anyone reads them: they are painted at a
// pace the eye can follow, and the last of them stays.
void Main::paceStatusTexts(bool paced)
{
    m_statPacer->setPaced(paced);
    m_TRPacer->setPaced(paced);
    m_DC->setPaced(paced);
}

void Main::setPreviewPicture(const QString& path)
{
    m_RImage->setPicture(path);
}

void Main::setTraffic(qint64 count)
{
    m_TRPacer->setText(EngineTexts::traffic(count));
}

// The message box, then the window unloads (saving the settings) and the program ends.
void Main::failureExit(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, this);
    box.setObjectName(u"Failure"_s);
    ModalHook::exec(box);
    Form_Unload();
    endProgram();
}

// The settings are saved by now. Whatever else runs ends with the window: no run starts once the
// window is closing, and the engine's wait gives up.
void Main::endProgram()
{
    m_unloaded = true;
    m_session.windowClosing();
    hide();
    Q_EMIT programEnded();
}

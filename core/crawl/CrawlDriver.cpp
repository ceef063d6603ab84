#include "core/crawl/CrawlDriver.h"

#include "core/album/AlbumWriter.h"
#include "core/crawl/CrawlHost.h"
#include "core/crawl/PictureName.h"
#include "core/crawl/SitePage.h"
#include "core/net/HttpReply.h"
#include "core/net/Transfer.h"
#include "core/platform/Constants.h"
#include "core/platform/Cp1251.h"
#include "core/platform/FileIo.h"
#include "core/platform/FileSystem.h"

#include <QScopeGuard>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The window's texts. "Грузиццo" of the front page and the listing pages ends in a Latin "o";
// that of the pictures in a Cyrillic "о".
const QString StatFrontPage = u"Грузиццo главная..."_s;
const QString StatListingPage = u"Грузиццo страница %1..."_s;
const QString StatPicture = u"Грузиццо картинка %1..."_s;
const QString StatAlbum = u"Создание альбома..."_s;
const QString StatDone = u"Фсе. Можно фтыкать."_s;
const QString StatNotSaved = u"Фсе, но %1: %2."_s;
const QString StatAlbumNotSaved = u"Фсе, но альбом не записался: %1."_s;
const QString WhyNoName = u"имя негодное"_s;
const QString StatSwitchedOff = u"Абламался"_s;
const QString FailureText = u"Ашиыпка при абработке страниц сайта золванеком."_s;
const QString FailureTitle = u"Ужос нах!"_s;

// How many saved pictures an early flush waits for: few enough that the last flush of a run has
// little to write, enough that a run spends no time starting flushes.
constexpr qsizetype EarlyFlushEvery = 32;

// Only a reply holds the markers: a transfer that failed or was abandoned while the run was still
// on ends in the failure exit, like a page without them.
std::optional<QByteArray> replyOf(const TransferOutcome& outcome)
{
    if (!outcome.isReply())
        return std::nullopt;
    return outcome.bytes();
}

// "3 картинки не записались", "5 картинок и альбом не записались".
QString picturesNotSaved(int count, bool albumToo)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    const bool one = last == 1 && lastTwo != 11;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    const QString noun = one ? u"картинка"_s : few ? u"картинки"_s : u"картинок"_s;
    if (albumToo)
        return u"%1 %2 и альбом не записались"_s.arg(count).arg(noun);
    const QString verb = one ? u"не записалась"_s : few ? u"не записались"_s : u"не записалось"_s;
    return u"%1 %2 %3"_s.arg(count).arg(noun, verb);
}

// The caption of `VL` only ever holds the scroll bar's digits; anything else walks no page.
qint16 pageCountFrom(const QString& caption)
{
    bool ok = false;
    const int count = caption.trimmed().toInt(&ok);
    return qint16(ok ? std::clamp(count, 0, CrawlDriver::MaxPages) : 0);
}

} // namespace

CrawlDriver::CrawlDriver(Transfer& transfer, CrawlHost& host, ProgramFolder folder, QObject* parent)
    : QObject(parent), m_transfer(transfer), m_host(host), m_folder(std::move(folder)),
      m_albumWriter(&AlbumWriter::write), m_pictures(m_folder)
{}

CrawlDriver::~CrawlDriver() = default;

void CrawlDriver::setAlbumWriter(AlbumFunction writer)
{
    m_albumWriter = std::move(writer);
}

void CrawlDriver::setFlushFunction(EarlyFlush::FlushFunction flush)
{
    m_flush.setFlushFunction(std::move(flush));
}

void CrawlDriver::Down_Click()
{
    // After the failure exit, once the window is closing, or while a switched-off run still
    // waits for its last transfer to return, nothing starts.
    if (!m_running && (m_failed || m_closing || m_inRun))
        return;
    m_running = !m_running;
    if (m_running)
        startRun();
    else
        switchOff();
}

void CrawlDriver::socketError()
{
    if (m_running)
        Down_Click();
}

void CrawlDriver::windowClosing()
{
    m_closing = true;
    if (m_running)
        Down_Click();
}

void CrawlDriver::startRun()
{
    const CrawlHost::RunSettings settings = m_host.runSettings();
    m_pageCount = pageCountFrom(settings.pageCount);
    // Kept from run to run, as long as the longest run so far: a short run touches little.
    if (m_pagePaths.size() <= m_pageCount) {
        m_pagePaths.resize(m_pageCount + 1);
        m_imageNames.resize(m_pageCount + 1);
    }
    m_unsaved = 0;
    m_unsavedWhy.clear();
    m_savedFiles.clear();
    m_earlyFlushed = 0;
    m_pictures.clear();
    m_albumError = {};
    m_host.setRunState(CrawlHost::RunState::Running);
    run(settings);
}

void CrawlDriver::switchOff()
{
    m_host.setRunState(CrawlHost::RunState::SwitchedOff);
    if (m_transfer.TransferResult().kind() != TransferOutcome::Kind::Failed)
        m_transfer.Stopped();
    m_host.setStat(StatSwitchedOff);
}

void CrawlDriver::run(const CrawlHost::RunSettings& settings)
{
    m_inRun = true;
    const auto leave = qScopeGuard([this] { m_inRun = false; });
    m_transfer.setUseProxyServer(Cp1251::fromUnicode(settings.proxyName),
                                 Cp1251::fromUnicode(settings.proxyPort), settings.proxyOn);
    m_transfer.setCasheSize(settings.cacheLimit);
    m_transfer.setStopString(SitePage::FrontPageStop.toByteArray());
    m_transfer.setRHost(Constants::SiteHost.toByteArray());
    m_host.setStat(StatFrontPage);
    m_pageIndex = 1;
    const TransferOutcome front = m_transfer.Down("/", false);
    if (m_running) {
        const auto frontReply = replyOf(front);
        const auto firstPath = frontReply ? SitePage::firstListingPath(*frontReply) : std::nullopt;
        if (!firstPath || walkPages(*firstPath) == Pages::Unexpected) {
            failureExit();
            return;
        }
    }
    endOfRun();
}

CrawlDriver::Pages CrawlDriver::walkPages(QByteArray pagePath)
{
    for (m_pageIndex = 1; m_pageIndex <= m_pageCount; ++m_pageIndex) {
        const int index = m_pageIndex;
        m_host.setStat(StatListingPage.arg(index));
        m_transfer.setStopString(SitePage::ListingPageStop.toByteArray());
        if (!m_running)
            return Pages::AsExpected;
        const TransferOutcome listing = m_transfer.Down(pagePath, true);
        if (!m_running)
            return Pages::AsExpected;
        m_pagePaths[index] = pagePath;

        const auto listingReply = replyOf(listing);
        const auto page = listingReply ? SitePage::parseListing(*listingReply) : std::nullopt;
        if (!page)
            return Pages::Unexpected;
        pagePath = page->nextPagePath;
        if (!m_running)
            return Pages::AsExpected;

        m_transfer.setStopString({});
        m_host.setStat(StatPicture.arg(index));
        const TransferOutcome pictureOutcome = m_transfer.Down(page->picturePath, true);
        if (!m_running)
            return Pages::AsExpected;
        const auto reply = replyOf(pictureOutcome);
        const auto picture = reply ? SitePage::body(*reply) : std::nullopt;
        if (!picture)
            return Pages::Unexpected;
        // An error page or nothing at all is no picture: the page is done, nothing is saved. The
        // picture is saved straight from the reply, which outlives the save.
        if (HttpReply::statusCode(*reply) == 200 && !picture->isEmpty())
            savePicture(index, page->picturePath,
                        QByteArray::fromRawData(picture->data(), picture->size()));
        else
            m_imageNames[index].clear();
        if (!m_running)
            return Pages::AsExpected;
    }
    return Pages::AsExpected;
}

void CrawlDriver::savePicture(int index, const QByteArray& picturePath, const QByteArray& data)
{
    // Only a picture that has its file is listed in the album.
    m_imageNames[index].clear();
    const QByteArray siteName = PictureName::lastSegment(picturePath);
    const QByteArray fittedName = PictureName::fitted(PictureName::safeName(siteName));
    if (fittedName.isEmpty()) {
        noteUnsaved(WhyNoName);
        return;
    }
    // The same picture again is listed again; a different one never takes its file.
    if (const auto saved = m_pictures.fileOf(siteName, data)) {
        m_imageNames[index] = *saved;
        m_host.setPreviewPicture(m_folder.download(PictureName::diskName(*saved)));
        return;
    }
    const QByteArray name = m_pictures.freeName(fittedName);
    const QString target = m_folder.download(PictureName::diskName(name));
    // A read-only file of the name stays as it was and stands for the picture. A file that cannot
    // be written for another reason (a folder in its place, a full disk) is skipped, the old one
    // stays as it was, and the run goes on and says so at its end.
    bool kept = false;
    const FileIo::Error error = savePictureFile(target, data, kept);
    if (!error || error.reason() == FileIo::Reason::ReadOnly) {
        m_imageNames[index] = name;
        m_pictures.add(name, siteName, data);
        if (!error && !kept)
            noteSaved(target);
    } else {
        noteUnsaved(error.why());
    }
    m_host.setPreviewPicture(target);
}

// Pictures can be fetched again, so they are not flushed one by one: the end of the run flushes
// them all at once. A file that holds the picture already, from an earlier run, is kept as it is,
// and there is nothing of it to flush. The folder is made when the first picture needs it.
FileIo::Error CrawlDriver::savePictureFile(const QString& target, const QByteArray& data,
                                           bool& kept)
{
    const auto save = [&] {
        return FileIo::save(target, data, FileIo::Sync::Never, FileIo::Rewrites::Alike, &kept);
    };
    FileIo::Error error = save();
    if (error.reason() != FileIo::Reason::NoFolder ||
        FileSystem::FolderExists(m_folder.downloads()))
        return error;
    if (FileSystem::CreateFolder(m_folder.downloads()))
        return error;
    return save();
}

// Every so many pictures, the ones since are flushed while the run goes on: the flush at its end,
// which the user waits for, then finds little left to write.
void CrawlDriver::noteSaved(const QString& file)
{
    m_savedFiles << file;
    if (m_savedFiles.size() - m_earlyFlushed >= EarlyFlushEvery &&
        m_flush.start(m_savedFiles.sliced(m_earlyFlushed)))
        m_earlyFlushed = m_savedFiles.size();
}

void CrawlDriver::noteUnsaved(const QString& why)
{
    if (m_unsaved++ == 0)
        m_unsavedWhy = why;
}

void CrawlDriver::endOfRun()
{
    // A run is over when its replies are in the cache, too.
    m_transfer.finishCaching();
    const int complete = m_pageIndex - 1;
    const bool everyPage = complete == m_pageCount;
    if (everyPage)
        m_host.setStat(StatAlbum);
    writeAlbum(complete);
    if (everyPage)
        m_host.setStat(endOfRunText(m_unsaved, bool(m_albumError),
                                    m_unsaved > 0 ? m_unsavedWhy : m_albumError.why()));
    m_running = false;
    m_host.setRunState(CrawlHost::RunState::Idle);
}

void CrawlDriver::writeAlbum(int count)
{
    if (!m_albumWriter)
        return;
    // The album is one step of the run: when it fails, the run still ends, and says so.
    m_albumError = m_albumWriter(m_folder, count, m_pagePaths, m_imageNames);
    if (!m_albumError)
        m_savedFiles << m_folder.album();
    // What the run saved outlives a power cut from here on.
    if (const FileIo::Error error = m_flush.flushNow(m_savedFiles); error && !m_albumError)
        m_albumError = error;
    m_savedFiles.clear();
}

QString CrawlDriver::endOfRunText(int unsavedPictures, bool albumUnsaved, const QString& why)
{
    if (unsavedPictures == 0)
        return albumUnsaved ? StatAlbumNotSaved.arg(why) : StatDone;
    return StatNotSaved.arg(picturesNotSaved(unsavedPictures, albumUnsaved), why);
}

void CrawlDriver::failureExit()
{
    m_running = false;
    m_failed = true;
    m_host.failureExit(FailureText, FailureTitle);
}

#include "SiteContent.h"

#include "Koi8r.h"

#include <QMutexLocker>
#include <cmath>

namespace {

constexpr int NumberBase = 10000;
constexpr int Stride = 2741;
constexpr int Offset = 1234;
constexpr int PictureCacheLimit = 512;

QByteArray koi(QStringView text)
{
    return Koi8r::fromUnicode(text);
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

class Sequence {
public:
    explicit Sequence(quint32 seed) : m_state(seed * 2246822519u + 374761393u) {}

    int below(int limit)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return int(m_state % quint32(limit));
    }

private:
    quint32 m_state;
};

const char16_t* const Captions[] = {
    u"Кот решил, что он тоже программист",
    u"Понедельник, как он есть",
    u"Когда сказали, что зарплату дадут завтра",
    u"Инженерная мысль не стоит на месте",
    u"Суровые будни сисадмина",
    u"Вид с балкона в пятницу вечером",
    u"Отпуск: ожидание и реальность",
    u"Лучший в мире парковщик",
    u"Собака, которая видела всё",
    u"Новый год приходит неожиданно",
    u"Ремонт своими руками",
    u"Тёща приехала на выходные",
};

const char16_t* const Nicknames[] = {
    u"Аноним", u"Васян", u"котэ_фан", u"Гость", u"Ёжик", u"Маша", u"сисадмин", u"Петрович",
};

const char16_t* const Remarks[] = {
    u"Ржунимагу!!!",
    u"Баян, было уже в прошлом месяце.",
    u"Афтар, пеши исчо!",
    u"А у нас в деревне и не такое бывает.",
    u"Хорошо, что начальник не видит, чем я тут занимаюсь.",
    u"Сохранил себе на рабочий стол.",
    u"Плакал весь отдел, спасибо.",
    u"Где-то я это уже видел, но всё равно смешно.",
};

template <size_t N> QStringView pick(const char16_t* const (&list)[N], Sequence& random)
{
    return QStringView(list[random.below(int(N))]);
}

struct Curated {
    PictureMaker::Format format;
    QSize size;
    const char16_t* name;
};

// The first pages of a run show every format and shape, a Russian file name and a file name
// that an earlier page already used.
const Curated CuratedPictures[] = {
    {PictureMaker::Format::Jpeg, {360, 160}, u"zakat.jpg"},
    {PictureMaker::Format::Png, {150, 320}, u"devushka.png"},
    {PictureMaker::Format::Gif, {220, 220}, u"kot.gif"},
    {PictureMaker::Format::Jpeg, {200, 300}, u"котэ.jpg"},
    {PictureMaker::Format::Png, {400, 150}, u"schema.png"},
    {PictureMaker::Format::Jpeg, {160, 340}, u"zakat.jpg"},
    {PictureMaker::Format::Gif, {380, 140}, u"smile.gif"},
    {PictureMaker::Format::Jpeg, {240, 240}, u"avto.jpeg"},
    {PictureMaker::Format::Png, {230, 230}, u"Прикол.png"},
    {PictureMaker::Format::Gif, {130, 310}, u"bashnya.gif"},
};
constexpr int CuratedCount = int(std::size(CuratedPictures));

const QSize Shapes[] = {{320, 150}, {140, 300}, {200, 200}};
const PictureMaker::Format Formats[] = {PictureMaker::Format::Jpeg, PictureMaker::Format::Png,
                                        PictureMaker::Format::Gif};

// File size of a photo against its pixels, bytes = fixed + perPixel * pixels, as our encoders
// give it for grainy pictures of 5 to 60 KB.
struct PhotoCost {
    double fixed;
    double perPixel;
};

PhotoCost photoCost(PictureMaker::Format format)
{
    switch (format) {
    case PictureMaker::Format::Jpeg:
        return {1100, 0.121};
    case PictureMaker::Format::Png:
        return {2830, 1.66};
    case PictureMaker::Format::Gif:
        return {350, 0.2};
    }
    return {0, 1};
}

// The shape scaled to the pixels a photo of about `bytes` needs.
QSize photoSize(PictureMaker::Format format, QSize shape, int bytes)
{
    const PhotoCost cost = photoCost(format);
    const double pixels = (bytes - cost.fixed) / cost.perPixel;
    const double scale = std::sqrt(pixels / (double(shape.width()) * shape.height()));
    return {qMax(16, int(std::lround(shape.width() * scale))),
            qMax(16, int(std::lround(shape.height() * scale)))};
}

constexpr int PhotoBytesLow = 7 * 1024 + 512;
constexpr int PhotoBytesHigh = 40 * 1024;

QByteArray pageLink(int pageNumber, QByteArrayView text)
{
    return "<a href='/photo/page" + number(pageNumber) + ".html'>" + text.toByteArray() + "</a>";
}

} // namespace

SiteContent::SiteContent(DemoSiteOptions options) : m_options(std::move(options))
{
    m_numbers.reserve(ChainLength);
    for (int i = 0; i < ChainLength; ++i) {
        // An affine step, then the fifth power: both are one-to-one modulo the prime length (5
        // has no factor in common with length - 1), and together they look like no order at all.
        const qint64 affine = (qint64(i) * Stride + Offset) % ChainLength;
        qint64 mixed = 1;
        for (int power = 0; power < 5; ++power)
            mixed = mixed * affine % ChainLength;
        const int pageNumber = NumberBase + int(mixed);
        m_numbers.append(pageNumber);
        m_positions.insert(pageNumber, i + 1);
    }

    Sequence random(7);
    m_archive = "<h3>" + koi(u"Архив") + "</h3>\n<ul class=\"archive\">\n";
    while (m_archive.size() < m_options.tailBytes) {
        const int other = m_numbers[random.below(ChainLength)];
        m_archive += "<li>" + pageLink(other, QByteArray(koi(u"Картинка ") + number(other))) +
                     " <img src='/image/thumbs/" + number(other) +
                     ".jpg' width='60' height='45'> " + koi(pick(Captions, random)) +
                     " &laquo;&laquo; <a href='/photo/random.html'>" + koi(u"ещё") +
                     "</a> &raquo;&raquo;</li>\n";
    }
    m_archive += "</ul>\n";

    // Jokes of the day: long, and free of every marker and of links to listing pages.
    while (m_lead.size() < m_options.leadBytes) {
        const int joke = 100000 + random.below(900000);
        m_lead += "<div class=\"joke\"><a href='/anekdot/" + number(joke) +
                  ".html'><img src='/image/thumbs/a" + number(joke) +
                  ".gif' width='40' height='40' border='0'></a> " + koi(pick(Remarks, random)) +
                  ' ' + koi(pick(Captions, random)) + ". " + koi(pick(Remarks, random)) +
                  " <a href='/anekdot/" + number(joke) + ".html'>" + koi(u"дальше") + "</a> | <b>" +
                  koi(pick(Nicknames, random)) + "</b></div>\n";
    }
}

int SiteContent::pageNumber(int position) const
{
    return m_numbers[(position - 1) % ChainLength];
}

QByteArray SiteContent::listingPath(int position) const
{
    return "/photo/page" + number(pageNumber(position)) + ".html";
}

int SiteContent::positionOfListingPath(QByteArrayView path) const
{
    static constexpr QByteArrayView Prefix = "/photo/page";
    if (!path.startsWith(Prefix) || !path.endsWith(".html"))
        return 0;
    bool ok = false;
    const int pageNumber =
        path.sliced(Prefix.size(), path.size() - Prefix.size() - 5).toByteArray().toInt(&ok);
    const int position = ok ? m_positions.value(pageNumber) : 0;
    return position != 0 && listingPath(position) == path ? position : 0;
}

SiteContent::Picture SiteContent::picture(int position) const
{
    const int page = pageNumber(position);
    const int round = (position - 1) % ChainLength + 1;
    Picture picture;
    if (round <= CuratedCount) {
        const Curated& curated = CuratedPictures[round - 1];
        picture.format = curated.format;
        picture.size = curated.size;
        picture.name = koi(curated.name);
    } else {
        picture.format = Formats[round % 3];
        picture.size = Shapes[(round / 3) % 3];
        picture.name = "foto" + number(page) + PictureMaker::extension(picture.format);
    }
    if (const auto named = m_options.pictureNames.constFind(position);
        named != m_options.pictureNames.cend())
        picture.name = *named;
    picture.path = "/image/" + number(2003 + page % 5) + "/" + number(page) + "/" + picture.name;
    if (m_options.photoPictures) {
        Sequence random(quint32(position) * 7919u);
        const int bytes = PhotoBytesLow + random.below(PhotoBytesHigh - PhotoBytesLow + 1);
        picture.size = photoSize(picture.format, picture.size, bytes);
    }
    return picture;
}

int SiteContent::positionOfPicturePath(QByteArrayView path) const
{
    static constexpr QByteArrayView Prefix = "/image/";
    if (!path.startsWith(Prefix))
        return 0;
    const QList<QByteArray> segments = path.sliced(Prefix.size()).toByteArray().split('/');
    if (segments.size() < 3)
        return 0;
    bool ok = false;
    const int position = m_positions.value(segments[1].toInt(&ok));
    return ok && position != 0 && picture(position).path == path ? position : 0;
}

QByteArray SiteContent::pictureBytes(int position) const
{
    {
        QMutexLocker lock(&m_cacheLock);
        if (const auto cached = m_pictureCache.constFind(position); cached != m_pictureCache.cend())
            return *cached;
    }
    const Picture shown = picture(position);
    const QByteArray bytes = PictureMaker::draw(
        shown.format, shown.size, quint32(position),
        m_options.photoPictures ? PictureMaker::Finish::Photo : PictureMaker::Finish::Drawing);
    QMutexLocker lock(&m_cacheLock);
    if (m_pictureCache.size() >= PictureCacheLimit)
        m_pictureCache.clear();
    m_pictureCache.insert(position, bytes);
    return bytes;
}

QByteArray SiteContent::header(QByteArrayView title) const
{
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
           "<html>\n<head>\n<title>" +
           title.toByteArray() +
           "</title>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\n"
           "<link rel=\"stylesheet\" href=\"/css/main.css\" type=\"text/css\">\n"
           "</head>\n<body bgcolor=\"#FFFFFF\" leftmargin=\"0\" topmargin=\"0\">\n";
}

QByteArray SiteContent::menu() const
{
    return "<table width=\"100%\" class=\"menu\"><tr>\n"
           "<td><a href='/'><img src='/image/logo.gif' width='201' height='72' "
           "border='0'></a></td>\n"
           "<td><a href='/'>" +
           koi(u"Главная") + "</a> | <a href='/anekdot/'>" + koi(u"Анекдоты") +
           "</a> | <a href='/photo/'>" + koi(u"Фото") + "</a> | <a href='/video/'>" +
           koi(u"Видео") + "</a> | <a href='/forum/'>" + koi(u"Форум") + "</a></td>\n" +
           "<td><a href='http://banners.example.net/click?id=468'><img "
           "src='/image/banner/468x60.gif' width='468' height='60' border='0'></a></td>\n"
           "</tr></table>\n";
}

QByteArray SiteContent::sidebar(int seed) const
{
    Sequence random{quint32(seed)};
    QByteArray side = "<div class=\"side\"><b>" + koi(u"Популярное") + "</b><ul>\n";
    for (int i = 0; i < 5; ++i) {
        const int other = m_numbers[random.below(ChainLength)];
        side += "<li><img src='/image/thumbs/" + number(other) + ".jpg' width='60' height='45'> " +
                pageLink(other, koi(pick(Captions, random))) + "</li>\n";
    }
    return side + "</ul></div>\n";
}

QByteArray SiteContent::comments(int seed) const
{
    Sequence random(quint32(seed) ^ 0x5A5A5A5Au);
    QByteArray text = "<div class=\"comments\"><h3>" + koi(u"Каменты") + "</h3>\n";
    const int count = 4 + random.below(8);
    for (int i = 0; i < count; ++i) {
        const int other = m_numbers[random.below(ChainLength)];
        text += "<p><b>" + koi(pick(Nicknames, random)) + "</b>: " + koi(pick(Remarks, random)) +
                " <img src='/image/smiles/" + number(1 + random.below(30)) + ".gif'> " +
                pageLink(other, koi(u"похожая")) + "</p>\n";
    }
    return text + "</div>\n";
}

QByteArray SiteContent::footer() const
{
    return "<hr><p>&copy; 2002-2006 " + koi(u"Золванеком. Перепечатка только с разрешения.") +
           "</p>\n</body>\n</html>\n";
}

QByteArray SiteContent::frontPage(bool withMarker) const
{
    QByteArray page = header(koi(u"Золванеком: анекдоты, приколы, забавныйе картинки")) + menu();
    page += "<table width=\"100%\"><tr><td valign=\"top\">\n<h3>" + koi(u"Новости сайта") +
            "</h3>\n<p>" + koi(u"Сегодня на сайте новые анекдоты и свежие картинки.") + "</p>\n";
    page += m_lead;
    page += "<h3>" + koi(u"Забавныйе картинки") + "</h3>\n<p>";
    for (int i = 1; i <= 4; ++i)
        page += "<a href='/photo/'><img src='/image/thumbs/" + number(pageNumber(i)) +
                ".jpg' width='60' height='45' border='0'></a> ";
    page += "</p>\n<p align=\"right\"><a href='/photo/page" + number(pageNumber(1)) + ".html'>" +
            (withMarker ? koi(u"Есчё") : koi(u"Ещё")) + "</a></p>\n";
    page += sidebar(2);
    page += "<p><a href='/photo/random.html'>" + koi(u"Случайная картинка") + "</a></p>\n";
    page += comments(3) + m_archive + "</td></tr></table>\n" + footer();
    return page;
}

QByteArray SiteContent::listingPage(int position, bool withMarker) const
{
    const int page = pageNumber(position);
    const int previous = pageNumber(position == 1 ? ChainLength : position - 1);
    const int next = pageNumber(position + 1);
    Sequence random{quint32(page)};
    const QByteArray caption = koi(pick(Captions, random));
    const int best = m_numbers[random.below(ChainLength)];

    QByteArray text = header(koi(u"Забавныйе картинки :: Золванеком")) + menu();
    text +=
        "<p class=\"nav\">&laquo;&laquo; " + pageLink(best, koi(u"лучшее за неделю")) + "</p>\n";
    text += sidebar(page) + m_lead;
    text += "<div class=\"photo\">\n<h2>" +
            (withMarker ? koi(u"ЗАБАВНЫЙЕ КАРТИНКИ") : koi(u"ЗАБАВНЫЕ КАРТИНКИ")) + "</h2>\n";
    text += "<p>" + koi(u"Картинка ") + number(page) + " (" +
            pageLink(page, koi(u"постоянная ссылка")) + ")</p>\n";
    text += "<p><img src='" + picture(position).path + "' border='0' alt='" + caption + "'></p>\n";
    text += "<p>" + caption + " <img src='/image/icons/comments.gif' width='16' height='16'></p>\n";
    text += "<p class=\"nav\">" + pageLink(previous, "&laquo;&laquo;") + " | " +
            pageLink(next, "&raquo;&raquo;") + "</p>\n</div>\n";
    text += comments(page) + m_archive + footer();
    return text;
}

#include "core/net/EngineTexts.h"

#include "core/platform/Cp1251.h"

using namespace Qt::StringLiterals;

namespace EngineTexts {

QString status(const TransferStatus& status)
{
    using Kind = TransferStatus::Kind;
    switch (status.kind) {
    case Kind::Ready:
        return u"Ready"_s;
    case Kind::Connecting:
        if (status.host.size() <= HostLengthForShortText)
            return u"Подключение к http://%1..."_s.arg(Cp1251::toUnicode(status.host));
        return u"Соединение с %1..."_s.arg(Cp1251::toUnicode(status.host));
    case Kind::ConnectingViaProxy:
        return u"Proxy connect %1:%2..."_s.arg(Cp1251::toUnicode(status.host),
                                               Cp1251::toUnicode(status.port));
    case Kind::RequestSent:
        return u"Отправлен запрос"_s;
    case Kind::Receiving:
        // The count is written as a signed number with a blank for its sign: two blanks in all.
        return u"Загрузка данных:  %1 Bytes"_s.arg(status.bytes);
    case Kind::Completed:
        return u"Загрузка завершена"_s;
    case Kind::FromCache:
        return u"Файл взят из кэша"_s;
    case Kind::Stopped:
        return u"Загрузка прервана"_s;
    case Kind::ProxyAuthFailed:
        return u"Ошибка авторизации на прокси"_s;
    case Kind::SocketError:
        return u"Ошибка %1"_s.arg(status.errorNumber);
    }
    return {};
}

bool isLink(const TransferStatus& status)
{
    return status.kind == TransferStatus::Kind::SocketError;
}

QString mainStatus(const TransferStatus& status)
{
    switch (status.kind) {
    case TransferStatus::Kind::Stopped:
        return u"Загрузка прервана"_s;
    case TransferStatus::Kind::ProxyAuthFailed:
        return u"Ошибка авторизации на прокси-сервере"_s;
    default:
        return {};
    }
}

QString traffic(qint64 count)
{
    return u"Трафек: %1 Кб"_s.arg(count / 1024);
}

} // namespace EngineTexts

#include "support/TransferOutcomeText.h"

#include <QTest>
#include <memory>

char* toString(const TransferOutcome& outcome)
{
    switch (outcome.kind()) {
    case TransferOutcome::Kind::Pending:
        return qstrdup("pending");
    case TransferOutcome::Kind::Reply: {
        const std::unique_ptr<char[]> bytes(QTest::toString(outcome.bytes()));
        return qstrdup(QByteArray("reply " + QByteArray(bytes.get())).constData());
    }
    case TransferOutcome::Kind::Failed:
        return qstrdup("failed");
    case TransferOutcome::Kind::Stopped:
        return qstrdup("stopped");
    case TransferOutcome::Kind::Abandoned:
        return qstrdup("abandoned");
    }
    return qstrdup("?");
}

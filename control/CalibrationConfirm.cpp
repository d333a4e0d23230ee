#include "control/CalibrationConfirm.h"

#include "core/NumberText.h"

#include <cmath>

namespace {

QString toChannel(ConfigCommand::Channel channel)
{
    switch (channel) {
    case ConfigCommand::Channel::Wet: return QStringLiteral("ao bulbo úmido");
    case ConfigCommand::Channel::Dry: return QStringLiteral("ao bulbo seco");
    case ConfigCommand::Channel::Globe: break;
    }
    return QStringLiteral("ao globo");
}

QString ofChannel(ConfigCommand::Channel channel)
{
    switch (channel) {
    case ConfigCommand::Channel::Wet: return QStringLiteral("do bulbo úmido");
    case ConfigCommand::Channel::Dry: return QStringLiteral("do bulbo seco");
    case ConfigCommand::Channel::Globe: break;
    }
    return QStringLiteral("do globo");
}

} // namespace

QString offsetText(const QString &reference, const QString &reading)
{
    const auto ref = textToNumber(reference);
    const auto now = textToNumber(reading);
    if (!ref || !now)
        return {};
    // The decimal difference the operator means; the meter gets its
    // single-precision neighbour.
    const long double difference = *ref - *now;
    QString text = formatGeneral(difference == 0 ? 0.0L : difference);
    if (text.startsWith(QLatin1Char('-')))
        text.replace(0, 1, QChar(0x2212));
    return text + QStringLiteral(" °C");
}

std::optional<QByteArray> confirmAdjustOffset(ConfigCommand::Channel channel, const ReferenceEntry &reference,
                                              const QString &reading, OperatorQuestions &operatorSide)
{
    if (reference.text.trimmed().isEmpty()) {
        operatorSide.tell(QStringLiteral("Nada foi enviado: entre a temperatura de referência antes de ajustar o "
                                         "offset."));
        return std::nullopt;
    }
    if (reference.unchanged) {
        operatorSide.tell(QStringLiteral("Nada foi enviado: a temperatura de referência ainda é a inicial. Entre a "
                                         "temperatura medida pela referência antes de ajustar o offset."));
        return std::nullopt;
    }
    // Throws for a field that is not a number: nothing asked, nothing sent.
    QByteArray command = ConfigCommand::adjustOffset(channel, reference.text, reading);
    const float offset = ConfigCommand::offset(reference.text, reading);
    const QString shown = offsetText(reference.text, reading);
    if (!operatorSide.askYesNo(QStringLiteral("Aplicar offset de %1 %2?").arg(shown, toChannel(channel))))
        return std::nullopt;
    if (std::fabs(offset) > largeOffset &&
        !operatorSide.askYesNo(QStringLiteral("O offset de %1 é maior que %2 °C. Aplicar mesmo assim %3?")
                                   .arg(shown, formatGeneral(largeOffset), toChannel(channel))))
        return std::nullopt;
    return command;
}

bool confirmZeroOffset(ConfigCommand::Channel channel, OperatorQuestions &operatorSide)
{
    return operatorSide.askYesNo(QStringLiteral("Zerar o offset %1?").arg(ofChannel(channel)));
}

bool confirmZeroAllOffsets(OperatorQuestions &operatorSide)
{
    return operatorSide.askYesNo(QStringLiteral("Zerar o offset dos três sensores?"));
}

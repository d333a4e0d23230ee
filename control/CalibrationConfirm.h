#pragma once
// Whether a calibration command may go to the meter. One click must not damage
// the meter's calibration: "Ajustar OFFSET" needs a reference temperature the
// operator has entered and a yes to a question that names the channel and
// the offset ("Aplicar offset de −24,6 °C ao bulbo úmido?"), asked a second
// time when the offset is larger than largeOffset; "Zerar OFFSET", on one
// channel or on all three, needs a yes too. These functions only decide and
// build the bytes; the caller sends them and confirms as it always did, so no
// byte goes out before the operator's answer.

#include "link/ConfigCommands.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The operator's side of the decision: a question answered yes or no, and a
// message. The window implements it with message boxes captioned "Aviso".
class OperatorQuestions {
public:
    virtual ~OperatorQuestions() = default;
    // A yes/no question; "no" is the default answer. True for yes.
    virtual bool askYesNo(const QString &question) = 0;
    // A message with an OK button only.
    virtual void tell(const QString &message) = 0;
};

// An offset whose magnitude exceeds this many degrees is asked twice.
inline constexpr float largeOffset = 10.0f;

// What the reference field holds at the click.
struct ReferenceEntry {
    QString text;
    // The text the field had when the dialog opened, not edited since.
    bool unchanged = false;
};

// "Ajustar OFFSET" on channel: the command to send, or nothing when the
// reference is empty or unchanged (the operator is told why) or a question
// was answered no. A field that is not a number throws AppError as
// ConfigCommand::adjustOffset does, before any question.
std::optional<QByteArray> confirmAdjustOffset(ConfigCommand::Channel channel, const ReferenceEntry &reference,
                                              const QString &reading, OperatorQuestions &operatorSide);

// "Zerar OFFSET" on the dialog's page (one channel) and from the menu (all
// three): true when the operator said yes.
bool confirmZeroOffset(ConfigCommand::Channel channel, OperatorQuestions &operatorSide);
bool confirmZeroAllOffsets(OperatorQuestions &operatorSide);

// The offset as the question shows it: reference − reading in decimal, with
// the decimal comma and a true minus sign, "−24,6 °C". Texts that are not
// numbers give an empty text.
QString offsetText(const QString &reference, const QString &reading);

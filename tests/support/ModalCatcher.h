#pragma once
// Answers the modal boxes a test provokes: message boxes are recorded and
// closed with OK; yes/no questions are recorded apart and answered by
// answer (yes when unset); input boxes get the next scripted entry (or Cancel when the
// script is empty). It looks for them every few milliseconds while the event
// loop runs, including inside the boxes' own loops.

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class ModalCatcher : public QObject {
    Q_OBJECT
public:
    struct Box {
        QString caption;
        QString text;
        int icon = 0; // QMessageBox::Icon
    };

    ModalCatcher();

    QList<Box> boxes;      // message boxes seen, in order
    QStringList prompts;   // input boxes seen: "caption|prompt|masked"
    QStringList entries;   // what to type into the next input boxes
    QStringList questions; // yes/no boxes seen, in order
    std::function<bool(const QString &question)> answer;

    QStringList texts() const; // the message boxes' texts

private:
    void poll();
    QTimer timer;
};

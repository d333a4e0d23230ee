#include "recordings/library/ProgramLibrary.h"

#include "recordings/library/LibraryStore.h"

#include <QCoreApplication>

#include <memory>

namespace {

struct Program {
    std::unique_ptr<LibraryStore> store;
    bool tried = false;
    QString message;
};

Program &program()
{
    static Program p;
    return p;
}

} // namespace

LibraryStore *programLibrary()
{
    Program &p = program();
    if (!p.tried) {
        p.tried = true;
        try {
            p.store = std::make_unique<LibraryStore>(libraryFilePath());
            p.message = p.store->notice();
        } catch (const std::exception &e) {
            p.message = QString::fromUtf8(e.what());
        }
        // Closed with the application, before Qt SQL's driver goes away.
        if (QCoreApplication::instance())
            qAddPostRoutine(closeProgramLibrary);
    }
    return p.store.get();
}

QString takeLibraryMessage()
{
    return std::exchange(program().message, QString());
}

void closeProgramLibrary()
{
    Program &p = program();
    p.store.reset();
    p.tried = false;
    p.message.clear();
}

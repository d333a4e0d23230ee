#pragma once
// The meter commands of the command line (--listar, --baixar, --relogio), run
// on a meter session without any window. They send what the main window sends
// for the same work, with the same time-out and retries:
//   --listar   "Ler Testes"; the tests one per line, then the memory figures;
//   --baixar   "Ler Testes", then the download of test N as a double-click on
//              its node does, saved as "Salvar dados" saves the viewer's and
//              archived in the library as it arrives; progress on standard
//              error;
//   --baixar-todos  "Baixar todos": every test the library does not keep
//              complete, into the library (control/DownloadAll); progress and
//              the summary on standard error;
//   --relogio  "Ajustar Relógio" (F3); done when the meter confirms.
// Texts are Portuguese; what went wrong goes to err.

#include "app/CommandLine.h"

#include <QTextStream>

#include <memory>

class ComPlatform;
class TestArchive;

// Runs the command on the running application's event loop. Returns the exit
// status: 0 done, 1 not done (the port did not open, the meter did not
// answer, the test did not come whole, the file could not be written, the
// library could not be opened for --baixar-todos). The downloads go into
// `archive`, or into the program's library when none is given (tests give
// one); a library that cannot be opened leaves --baixar unarchived, with a
// warning.
int runMeterCommand(const CommandLine &line, QTextStream &out, QTextStream &err,
                    std::shared_ptr<ComPlatform> platform = {}, TestArchive *archive = nullptr);

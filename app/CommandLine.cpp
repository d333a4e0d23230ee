#include "app/CommandLine.h"

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (arg == QLatin1String("-h") || arg == QLatin1String("--help"))) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (!optionsEnded && (arg == QLatin1String("-v") || arg == QLatin1String("--version"))) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        // A lone "-" is not a file name we can open; anything else starting
        // with "-" is an option we do not know.
        if (!optionsEnded && arg.startsWith(QLatin1Char('-'))) {
            line.action = CommandLine::Action::Error;
            line.message = QStringLiteral("Opção desconhecida: %1").arg(arg);
            return line;
        }
        if (!line.testFile.isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.message = QStringLiteral("Só um arquivo de teste pode ser aberto de cada vez.");
            return line;
        }
        line.testFile = arg;
    }
    return line;
}

QString helpText()
{
    return QStringLiteral("Uso: vestara [opções] [arquivo.tvq]\n"
                          "Cliente do medidor de estresse térmico (IBUTG) Tavenor: leituras ao vivo,\n"
                          "testes armazenados, arquivos de teste, relatórios e configuração do medidor.\n"
                          "\n"
                          "Opções:\n"
                          "  -h, --help       mostra esta ajuda e sai\n"
                          "  -v, --version    mostra a versão e sai\n"
                          "\n"
                          "Argumentos:\n"
                          "  arquivo.tvq      teste gravado a abrir no visualizador ao iniciar\n"
                          "\n"
                          "Configuração: ~/.config/Tavenor/Quorvin.conf (a porta serial \"Porta\" e a\n"
                          "senha do usuário; o grupo [Portas] liga os nomes COM1..COM96 a dispositivos).\n"
                          "A porta serial exige o grupo dialout: sudo usermod -aG dialout \"$USER\".\n");
}

QString versionText()
{
    return QStringLiteral("VESTARA %1 (Tavenor - Instrumentos de Medição V1.02b)\n")
        .arg(QStringLiteral(VESTARA_VERSION));
}

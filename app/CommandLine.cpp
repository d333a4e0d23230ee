#include "app/CommandLine.h"

#include <QRegularExpression>

namespace {

CommandLine error(const QString &message)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.message = message;
    return line;
}

// "COM3", "com3" or "3": 1..96; 0 when it is none of these.
int portNumber(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^(?:[Cc][Oo][Mm])?([0-9]{1,2})$"));
    const QRegularExpressionMatch m = shape.match(text);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n >= 1 && n <= 96 ? n : 0;
}

// The checks that need every argument read.
CommandLine finish(CommandLine line, bool portGiven)
{
    if (line.meterCommand() && !line.testFile.isEmpty())
        return error(QStringLiteral("Um arquivo de teste não pode ser aberto junto com um comando do medidor."));
    if (portGiven && !line.meterCommand())
        return error(QStringLiteral("--porta só vale com --listar, --baixar, --baixar-todos ou --relogio."));
    if (!line.outputFile.isEmpty() && line.action != CommandLine::Action::DownloadTest)
        return error(QStringLiteral("--saida só vale com --baixar."));
    if (line.action == CommandLine::Action::DownloadTest && line.outputFile.isEmpty())
        return error(QStringLiteral("--baixar precisa de --saida ARQUIVO.tvq."));
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine line;
    bool optionsEnded = false;
    bool portGiven = false;
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
        if (!optionsEnded && arg.startsWith(QLatin1Char('-'))) {
            const bool command = arg == QLatin1String("--listar") || arg == QLatin1String("--baixar") ||
                                 arg == QLatin1String("--baixar-todos") || arg == QLatin1String("--relogio");
            const bool takesValue =
                arg == QLatin1String("--baixar") || arg == QLatin1String("--saida") || arg == QLatin1String("--porta");
            // A lone "-" is not a file name we can open; anything else
            // starting with "-" is an option we do not know.
            if (!command && !takesValue)
                return error(QStringLiteral("Opção desconhecida: %1").arg(arg));
            if (command && line.meterCommand())
                return error(QStringLiteral(
                    "Só um comando do medidor de cada vez: --listar, --baixar, --baixar-todos ou --relogio."));
            QString value;
            if (takesValue) {
                if (++i >= args.size())
                    return error(QStringLiteral("Falta o valor de %1.").arg(arg));
                value = args[i];
            }
            if (arg == QLatin1String("--listar")) {
                line.action = CommandLine::Action::ListTests;
            } else if (arg == QLatin1String("--baixar-todos")) {
                line.action = CommandLine::Action::DownloadAll;
            } else if (arg == QLatin1String("--relogio")) {
                line.action = CommandLine::Action::SetClock;
            } else if (arg == QLatin1String("--baixar")) {
                static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
                line.testNumber = digits.match(value).hasMatch() ? value.toInt() : 0;
                if (line.testNumber < 1)
                    return error(QStringLiteral("Número de teste inválido: %1 (o primeiro teste é 1).").arg(value));
                line.action = CommandLine::Action::DownloadTest;
            } else if (arg == QLatin1String("--saida")) {
                if (value.isEmpty())
                    return error(QStringLiteral("Falta o valor de --saida."));
                line.outputFile = value;
            } else {
                line.portNumber = portNumber(value);
                if (line.portNumber == 0)
                    return error(QStringLiteral("Porta inválida: %1 (use COM1 a COM96).").arg(value));
                portGiven = true;
            }
            continue;
        }
        if (!line.testFile.isEmpty())
            return error(QStringLiteral("Só um arquivo de teste pode ser aberto de cada vez."));
        line.testFile = arg;
    }
    return finish(line, portGiven);
}

QString helpText()
{
    return QStringLiteral("Uso: vestara [opções] [arquivo.tvq]\n"
                          "       vestara --listar [--porta COMn]\n"
                          "       vestara --baixar N --saida ARQUIVO.tvq [--porta COMn]\n"
                          "       vestara --baixar-todos [--porta COMn]\n"
                          "       vestara --relogio [--porta COMn]\n"
                          "Cliente do medidor de estresse térmico (IBUTG) Tavenor: leituras ao vivo,\n"
                          "testes armazenados, arquivos de teste, relatórios e configuração do medidor.\n"
                          "\n"
                          "Opções:\n"
                          "  -h, --help       mostra esta ajuda e sai\n"
                          "  -v, --version    mostra a versão e sai\n"
                          "\n"
                          "Comandos do medidor (sem janela):\n"
                          "  --listar         lista os testes do medidor e o uso da memória\n"
                          "  --baixar N       baixa o teste N (o primeiro é 1) para o arquivo de --saida\n"
                          "  --saida ARQUIVO  o arquivo de teste (.tvq) que --baixar grava\n"
                          "  --baixar-todos   baixa para a biblioteca todos os testes que ela ainda não tem\n"
                          "  --relogio        acerta o relógio do medidor pelo do computador\n"
                          "  --porta COMn     a porta serial; sem ela, a das configurações\n"
                          "  Saída: 0 feito, 1 o medidor não respondeu ou o teste não veio inteiro,\n"
                          "  2 erro de uso.\n"
                          "\n"
                          "Argumentos:\n"
                          "  arquivo.tvq      teste gravado a abrir no visualizador ao iniciar\n"
                          "\n"
                          "Configuração: ~/.config/Tavenor/Quorvin.conf (a porta serial \"Porta\" e a\n"
                          "senha do usuário; o grupo [Portas] liga os nomes COM1..COM96 a dispositivos;\n"
                          "\"Biblioteca\" muda o arquivo da biblioteca de testes).\n"
                          "A porta serial exige o grupo dialout: sudo usermod -aG dialout \"$USER\".\n");
}

QString versionText()
{
    return QStringLiteral("VESTARA %1 (Tavenor - Instrumentos de Medição V1.02b)\n")
        .arg(QStringLiteral(VESTARA_VERSION));
}

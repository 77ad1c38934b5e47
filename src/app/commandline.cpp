#include "app/commandline.h"

#include "orbelune/appinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

namespace orbelune {

std::optional<int> answerCommandLine(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // Qt's own arguments are words after one dash: read whole, they are options unknown here,
    // never a row of short ones (the v in -reverse asking for the version).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(appinfo::description));
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") },
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({ QStringLiteral("v"), QStringLiteral("version") },
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({ help, version });
    // Arguments it does not know are no error: they start the window, as they always did.
    parser.parse(arguments);
    if (!parser.isSet(help) && !parser.isSet(version))
        return std::nullopt;

    // The help names the program as it was started, which takes an application object; this
    // one needs no display.
    const QCoreApplication application(argc, argv);
    writeToTerminal(parser.isSet(help)
                        ? parser.helpText()
                        : QStringLiteral("%1 %2\n").arg(QLatin1String(appinfo::name),
                                                        QLatin1String(appinfo::projectVersion)));
    return 0;
}

} // namespace orbelune

// Build-time converter of the manuals: brevanto_mddoc OUTDIR FILE.md...
// Writes OUTDIR/<name>.html for every Markdown file (links to other .md files become links to their
// .html pages, which all lie in one folder beside the program) and OUTDIR/contents.html, the help
// contents that lists them.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {
struct TPage {
    QString Name; // without folder and extension
    QString Title;
};

QString FirstHeading(const QString& markdown, const QString& fallback) {
    static const QRegularExpression heading(QStringLiteral("^#\\s+(.+)$"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = heading.match(markdown);
    return m.hasMatch() ? m.captured(1).trimmed() : fallback;
}

QString LinksToPages(QString markdown) {
    // "](../CHANGELOG.md#x)" -> "](CHANGELOG.html#x)"; web links stay as they are.
    static const QRegularExpression link(
        QStringLiteral("\\]\\((?![a-z]+:)(?:[^)\\s#]*/)?([^)\\s#/]+)\\.md(#[^)\\s]*)?\\)"));
    return markdown.replace(link, QStringLiteral("](\\1.html\\2)"));
}

bool Write(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

QString PageHtml(const QString& markdown, const QString& title) {
    QTextDocument doc;
    doc.setMarkdown(LinksToPages(markdown), QTextDocument::MarkdownDialectGitHub);
    doc.setMetaInformation(QTextDocument::DocumentTitle, title);
    QString html = doc.toHtml();
    // A little room around the text and a readable measure in a browser.
    html.replace(QStringLiteral("</head>"),
                 QStringLiteral("<style>body { max-width: 60em; margin: 1.5em auto; padding: 0 1em; }"
                                " table { border-collapse: collapse; }"
                                " td, th { padding: 2px 6px; }</style></head>"));
    return html;
}

QString ContentsHtml(const QList<TPage>& pages) {
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                  "<title>Brevanto 2015 Help</title></head>\n<body>\n"
                                  "<h1>Brevanto 2015 Help</h1>\n<ul>\n");
    for (const TPage& page : pages)
        html += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>\n")
                    .arg(page.Name.toHtmlEscaped(), page.Title.toHtmlEscaped());
    html += QStringLiteral("</ul>\n</body></html>\n");
    return html;
}

int Rank(const QString& name) {
    if (name == QLatin1String("user-manual"))
        return 0;
    if (name == QLatin1String("technical-manual"))
        return 1;
    if (name == QLatin1String("CHANGELOG"))
        return 3;
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: brevanto_mddoc OUTDIR FILE.md...\n");
        return 2;
    }
    const QString outDir = args.at(1);
    QList<TPage> pages;
    for (int i = 2; i < args.size(); ++i) {
        QFile in(args.at(i));
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "brevanto_mddoc: %s: %s\n", qPrintable(args.at(i)),
                         qPrintable(in.errorString()));
            return 1;
        }
        const QString markdown = QString::fromUtf8(in.readAll());
        const QString name = QFileInfo(args.at(i)).completeBaseName();
        const QString title = name == QLatin1String("CHANGELOG") ? QStringLiteral("Release Notes")
                                                                 : FirstHeading(markdown, name);
        if (!Write(outDir + QLatin1Char('/') + name + QStringLiteral(".html"), PageHtml(markdown, title))) {
            std::fprintf(stderr, "brevanto_mddoc: cannot write %s.html in %s\n", qPrintable(name),
                         qPrintable(outDir));
            return 1;
        }
        pages.append({name, title});
    }
    std::stable_sort(pages.begin(), pages.end(),
                     [](const TPage& a, const TPage& b) { return Rank(a.Name) < Rank(b.Name); });
    if (!Write(outDir + QStringLiteral("/contents.html"), ContentsHtml(pages))) {
        std::fprintf(stderr, "brevanto_mddoc: cannot write contents.html in %s\n", qPrintable(outDir));
        return 1;
    }
    return 0;
}

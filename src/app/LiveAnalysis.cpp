#include "app/LiveAnalysis.h"
#include "engine/Analyze.h"
#include "text/Errors.h"
#include "text/WordRead.h"

#include <QFile>
#include <QMetaObject>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
QString ShortMethodName(quolm::TMethod m) {
    switch (m) {
    case quolm::TMethod::Ordinary:
        return QStringLiteral("Ordinary");
    case quolm::TMethod::Bishop:
        return QStringLiteral("Bishop");
    case quolm::TMethod::Janbu:
        return QStringLiteral("Janbu");
    case quolm::TMethod::Spencer:
        return QStringLiteral("Spencer");
    case quolm::TMethod::MorgensternPrice:
        return QStringLiteral("Morgenstern-Price");
    }
    return {};
}

QString OneLine(QString s) {
    return s.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .simplified();
}

// "E101" -> the remedy of error-message.txt, its lines joined.
QHash<QString, QString> ReadRemedies(const QString& path) {
    QHash<QString, QString> remedies;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return remedies;
    static const QRegularExpression entry(QStringLiteral("^([EW][0-9]{3})\\s"));
    QString code, remedy;
    bool inRemedy = false;
    auto keep = [&] {
        if (!code.isEmpty() && !remedy.isEmpty())
            remedies.insert(code, remedy.simplified());
        remedy.clear();
        inRemedy = false;
    };
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (const QRegularExpressionMatch m = entry.match(line); m.hasMatch()) {
            keep();
            code = m.captured(1);
        } else if (line.startsWith(QLatin1String("Remedy"))) {
            inRemedy = true;
            remedy = line.mid(line.indexOf(QLatin1Char(':')) + 1);
        } else if (inRemedy && !line.isEmpty() && !line.startsWith(QLatin1String("Meaning"))) {
            remedy += QLatin1Char(' ') + line;
        } else {
            inRemedy = false;
        }
    }
    keep();
    return remedies;
}
} // namespace

QString TLiveResult::StatusText() const {
    if (!ErrorCode.isEmpty())
        return QStringLiteral("Live: %1 %2%3")
            .arg(ErrorCode, Error, Help.isEmpty() ? QString() : QStringLiteral(" ") + Help);
    if (!FS)
        return QStringLiteral("Live: no factor of safety (%1's method did not converge)").arg(Method);
    QString text = QStringLiteral("Live: %1 %2").arg(*FS, 0, 'f', 3).arg(Method);
    if (Reduced())
        text += QStringLiteral(" (reduced search: %1 of %2 surfaces)").arg(Surfaces).arg(FullSurfaces);
    return text;
}

long long SearchSurfaceCount(const TSlopeSettings& s) {
    switch (s.SearchKind) {
    case 2:
    case 3:
    case 4:
    case 6:
        return static_cast<long long>(std::max(0, s.InitiationPoints)) * std::max(0, s.SurfacesPerPoint);
    case 5:
        return std::max(0, s.SurfacesPerPoint);
    default:
        return 1;
    }
}

TLiveResult AnalyseLive(const TSlopeDescription& model, long long surfaceLimit,
                        const std::atomic<bool>* cancel) {
    TLiveResult r;
    // The text a save would write, read back as the engine reads the file: the same sections, the same
    // rounding, the same method.
    TSlopeDescription d;
    try {
        TWordReader reader = TWordReader::FromText(WriteSlopeFile(model));
        ReadSlopeFile(reader, true, d);
    } catch (const EBrevantoError& e) {
        r.ErrorCode = QStringLiteral("E002");
        r.Error = OneLine(QString::fromUtf8(e.what()));
        return r;
    }
    r.FullSurfaces = SearchSurfaceCount(d.Settings);
    if (surfaceLimit > 0 && r.FullSurfaces > surfaceLimit && d.Settings.SearchKind >= 2) {
        // Fewer surfaces per point: the initiation points still cover the whole range.
        const long long points = d.Settings.SearchKind == 5 ? 1 : std::max(1, d.Settings.InitiationPoints);
        d.Settings.SurfacesPerPoint = static_cast<int>(std::max<long long>(1, surfaceLimit / points));
    }
    quolm::TRunOptions options;
    options.Cancel = cancel;
    const quolm::TAnalysis a = quolm::Analyze(d, options);
    r.Cancelled = a.Cancelled;
    r.Method = ShortMethodName(a.Method);
    r.Seconds = a.ElapsedSeconds;
    r.Surfaces = d.Settings.SearchKind >= 2 ? a.Generated : 1;
    if (r.FullSurfaces < r.Surfaces)
        r.FullSurfaces = r.Surfaces;
    if (a.HasErrors()) {
        r.ErrorCode = QString::fromStdString(a.Diagnostics.Errors.front().Code);
        r.Error = OneLine(QString::fromStdString(a.Diagnostics.Errors.front().Message));
        return r;
    }
    if (a.Critical) {
        r.FS = a.Critical->Surface.FS;
        for (const quolm::TPoint& p : a.Critical->Surface.Points)
            r.Surface.emplace_back(p.X, p.Y);
    }
    return r;
}

TLiveAnalysis::TLiveAnalysis(QObject* parent) : QObject(parent) {
    qRegisterMetaType<TLiveResult>();
}

TLiveAnalysis::~TLiveAnalysis() {
    if (FCancel)
        FCancel->store(true);
    if (FThread.joinable())
        FThread.join();
}

void TLiveAnalysis::SetNotesFile(const QString& path) {
    if (path == FNotesFile)
        return;
    FNotesFile = path;
    FRemedies = ReadRemedies(path);
}

void TLiveAnalysis::Request(const TSlopeDescription& model) {
    FWaiting = std::make_unique<TSlopeDescription>(model);
    if (FRunning)
        FCancel->store(true);
    else
        Start();
}

void TLiveAnalysis::Cancel() {
    FWaiting.reset();
    if (FRunning)
        FCancel->store(true);
}

void TLiveAnalysis::Start() {
    if (!FWaiting)
        return;
    if (FThread.joinable())
        FThread.join();
    const std::shared_ptr<const TSlopeDescription> model(FWaiting.release());
    const long long limit = std::max<long long>(1, static_cast<long long>(FBudget / FSecondsPerSurface));
    FCancel = std::make_shared<std::atomic<bool>>(false);
    FRunning = true;
    ++FStarted;
    FThread = std::thread([this, model, limit, cancel = FCancel] {
        const int now = ++FAtOnce;
        for (int most = FMostAtOnce.load(); now > most && !FMostAtOnce.compare_exchange_weak(most, now);) {
        }
        TLiveResult result = AnalyseLive(*model, limit, cancel.get());
        --FAtOnce;
        // Handed to the window's thread; dropped there when this object is gone.
        QMetaObject::invokeMethod(
            this, [this, result] { RunDone(result); }, Qt::QueuedConnection);
    });
}

void TLiveAnalysis::RunDone(const TLiveResult& done) {
    if (FThread.joinable())
        FThread.join();
    FRunning = false;
    if (!done.Cancelled && done.Surfaces > 1 && done.Seconds > 0)
        FSecondsPerSurface = std::max(1e-7, done.Seconds / static_cast<double>(done.Surfaces));
    if (FWaiting) {
        Start(); // superseded: only the newest model is worth a result
        return;
    }
    if (done.Cancelled)
        return;
    TLiveResult result = done;
    if (!result.ErrorCode.isEmpty())
        result.Help = FRemedies.value(result.ErrorCode);
    emit Finished(result);
}

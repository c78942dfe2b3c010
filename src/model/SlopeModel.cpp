#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "tables/ColumnTypes.h"
#include "text/Errors.h"
#include "text/Units.h"
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <optional>

namespace {
// Scalar conversion factors between English and SI units (length, force). The way back is the exact
// inverse of the way there, so switching there and back gives the numbers that were typed.
constexpr Extended EnglishToSILength = 0.3048L;
constexpr Extended EnglishToSIForce = 0.004448222468060650624L;

// A random variable's parameters are values of the quantity it replaces, so they convert by the factor
// of that quantity's table column, as its deterministic value does: unit weights and cohesion by the
// soil table's, a piezometric surface's shift by its points' elevations. Angles and seismic
// coefficients have no units. From `from`, or without it from the unit system the columns are in.
void ConvertProbabilistic(TProbabilisticSetup& setup, const TTableSet& tables, std::optional<int> from,
                          int to) {
    for (TRandomVariable& v : setup.Variables) {
        const TColumn* column = nullptr;
        switch (v.Target) {
        case TRandomTarget::MoistWeight:
            column = &tables.SoilData().Column(0);
            break;
        case TRandomTarget::SaturatedWeight:
            column = &tables.SoilData().Column(1);
            break;
        case TRandomTarget::Cohesion:
            column = &tables.SoilData().Column(2);
            break;
        case TRandomTarget::WaterShift:
            column = &tables.Piezometric().Column(1);
            break;
        case TRandomTarget::FrictionAngle:
        case TRandomTarget::Kh:
        case TRandomTarget::Kv:
            break;
        }
        const auto* values = dynamic_cast<const TFloatColumn*>(column);
        if (!values)
            continue;
        const Extended factor = UnitFactor(from.value_or(values->UnitSystem()), to, values->UnitString);
        for (double* x : {&v.P1, &v.P2, &v.P3, &v.Min, &v.Max})
            *x = static_cast<double>(*x * factor);
    }
}
} // namespace

void ConvertProbabilisticUnits(TProbabilisticSetup& setup, const TTableSet& tables, int from, int to) {
    ConvertProbabilistic(setup, tables, from, to);
}

std::unique_ptr<TProgramData> TProgramData::CreateNew(IModelHost& host) {
    host.CloseAllChildren();
    auto model = std::make_unique<TProgramData>(host);
    model->FileName = NewFileName;
    model->UnitSystem = 1;
    model->Title = "New Slope";
    // Brings the tables (and any window that shows units) to English units; the scalars are at
    // their defaults, so nothing of the model's own changes.
    model->SetUnitSystem(1);
    host.Tables().Reset();
    host.SetModified(false);
    return model;
}

void TProgramData::SetUnitSystem(int n) {
    n = std::clamp(n, 1, 3);
    const bool toSI = UnitSystem == 1 && n == 2;
    const bool toEnglish = UnitSystem == 2 && n == 1;
    if (toSI || toEnglish) {
        // Multiplying by the factor one way and dividing by it the other gives back what was typed to
        // the last bit or two of an extended value, far below the 18 digits a box shows.
        const auto convert = [toSI](Extended& value, Extended factor) {
            value = toSI ? value * factor : value / factor;
        };
        const Extended length = EnglishToSILength;
        const Extended force = EnglishToSIForce;
        for (Extended* v : {&LeftInitiationX, &RightInitiationX, &LeftTerminationX, &RightTerminationX,
                            &MinimumElevation, &SegmentLength, &BlockSegmentLength})
            convert(*v, length);
        convert(CavitationPressure, force / (length * length));
        convert(WaterUnitWeight, force / (length * length * length));
    }
    UnitSystem = n;
    ConvertProbabilistic(Probabilistic, Host().Tables(), std::nullopt, n);
    Host().Tables().SetUnitSystem(n);
    Host().UnitSystemChanged();
}

namespace {
// A failed save names the file and the system's reason, so the user knows what was not saved.
[[noreturn]] void SaveFailed(const QString& path, const QString& reason) {
    throw EInOutError("The file " + QDir::toNativeSeparators(path).toStdString() + " could not be saved:\r" +
                      reason.toStdString());
}
} // namespace

void TProgramData::SaveToFile() {
    const std::string text = FileText();
    // The target is replaced only after the whole text reached the disk, so a failed save (no
    // space, no permission) leaves the previous file as it was.
    const QString path = QString::fromStdString(FileName);
    // Replacing through a temporary file would also replace a file the user may not write to; opening
    // it first (without truncating) gives the system's refusal instead.
    if (QFile existing(path); existing.exists() && !existing.open(QIODevice::ReadWrite))
        SaveFailed(path, existing.errorString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        SaveFailed(path, file.errorString());
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        const QString reason = file.errorString();
        file.cancelWriting();
        SaveFailed(path, reason);
    }
    if (!file.commit())
        SaveFailed(path, file.errorString());
    Host().SetModified(false);
}

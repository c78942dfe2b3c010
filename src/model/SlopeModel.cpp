#include "model/SlopeModel.h"
#include "model/TableAccess.h"
#include "text/Errors.h"
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>

namespace {
// Scalar conversion factors between English and SI units (length, force).
constexpr Extended EnglishToSILength = 0.3048L;
constexpr Extended EnglishToSIForce = 0.004448222468060650624L;
constexpr Extended SIToEnglishLength = 3.2808416666666666665L;
constexpr Extended SIToEnglishForce = 224.8089L;
} // namespace

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
    Extended length = 1;
    Extended force = 1;
    bool convert = false;
    if (UnitSystem == 1 && n == 2) {
        length = EnglishToSILength;
        force = EnglishToSIForce;
        convert = true;
    } else if (UnitSystem == 2 && n == 1) {
        length = SIToEnglishLength;
        force = SIToEnglishForce;
        convert = true;
    }
    if (convert) {
        for (Extended* v : {&LeftInitiationX, &RightInitiationX, &LeftTerminationX, &RightTerminationX,
                            &MinimumElevation, &SegmentLength, &BlockSegmentLength})
            *v *= length;
        CavitationPressure *= force / (length * length);
        WaterUnitWeight *= force / (length * length * length);
    }
    UnitSystem = n;
    Host().Tables().SetUnitSystem(n);
    Host().UnitSystemChanged();
}

void TProgramData::SaveToFile() {
    const std::string text = FileText();
    // The target is replaced only after the whole text reached the disk, so a failed save (no
    // space, no permission) leaves the previous file as it was.
    const QString path = QString::fromStdString(FileName);
    // Replacing through a temporary file would also replace a file the user may not write to; opening
    // it first (without truncating) gives the system's refusal instead.
    if (QFile existing(path); existing.exists() && !existing.open(QIODevice::ReadWrite))
        throw EInOutError(existing.errorString().toStdString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(file.errorString().toStdString());
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw EInOutError(reason);
    }
    if (!file.commit())
        throw EInOutError(file.errorString().toStdString());
    Host().SetModified(false);
}

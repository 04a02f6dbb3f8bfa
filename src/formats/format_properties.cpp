#include "formats/format_properties.h"

namespace {

// An engine that only keeps its parameters.
class ParametersOnly final : public TVideoEdit {
public:
    void ClearClips() override {}
    bool AddVideoClip(const QString&, double, double, int16_t) override { return false; }
    bool AddAudioClip(const QString&, double, double) override { return false; }
    bool AddTransition(int16_t, double, double) override { return false; }
    bool StartRender(const QString&) override { return false; }
    void StopRender() override {}
    QStringList Transitions() const override { return {}; }
    QStringList AudioCompressors() const override { return {}; }
    QStringList VideoCompressors() const override { return {}; }
    QStringList WMVProfiles() const override { return {}; }
};

}  // namespace

TVideoEdit::Properties FormatProperties(int selectedFormat, const FormatSettings& settings) {
    ParametersOnly engine;
    engine.SetOutputType(selectedFormat);
    ApplyFormatSettings(engine, selectedFormat, settings);
    return engine.properties();
}

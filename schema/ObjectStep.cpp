// The installation routine shared by every object step.
#include "schema/ObjectStep.h"

#include <algorithm>

namespace orvel {

void RunObjectStep(const ObjectStep& step, SchemaOperations& schema) {
    Progress& progress = schema.progress();
    if (step.effect == GaugeEffect::TenUnit) progress.resetTableGauge(10);
    for (const auto& drop : step.drops) schema.send(drop);
    schema.send(step.create);
    switch (step.effect) {
        case GaugeEffect::None:
            break;
        case GaugeEffect::PlusOne:
            progress.advanceTableGauge(1);
            progress.advanceOverallGauge();
            break;
        case GaugeEffect::TenUnit:
            progress.advanceTableGauge(10);
            progress.advanceOverallGauge();
            break;
    }
}

std::string SqlLines(std::string_view rawText) {
    if (rawText.starts_with('\n')) rawText.remove_prefix(1);
    if (rawText.ends_with('\n')) rawText.remove_suffix(1);
    std::string text(rawText);
    std::replace(text.begin(), text.end(), '\n', '\r');
    return text;
}

}  // namespace orvel

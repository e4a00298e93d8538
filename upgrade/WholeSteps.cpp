// One transaction around a step, rolled back with the picture on failure.
#include "upgrade/WholeSteps.h"

namespace orvel {

void RunAsOneTransaction(Database& connection, CataloguePicture& picture, const std::function<void()>& step) {
    CataloguePicture::Held before = picture.held();
    connection.execute(kBeginStepTransaction);
    try {
        step();
        connection.execute(kCommitStepTransaction);
    } catch (...) {
        try {
            if (connection.isOpen()) connection.execute(kRollBackStepTransaction);
        } catch (const std::exception&) {
            // The step's own failure is what the user needs to see.
        }
        picture.restore(std::move(before));
        throw;
    }
}

}  // namespace orvel

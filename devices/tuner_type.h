// The tuner models, as the plain integers 0, 1, 2 that are stored and
// compared everywhere. A header of its own, so whoever needs only the model
// numbers does not take in the rest of devices/.
#pragma once

// (Scoped by a namespace: the platform headers already have an "Unknown".)
namespace TunerType {
enum : int {
    Unknown = 0,
    Terrestrial = 1,  // the White model
    Satellite = 2,    // the Black model
};
}

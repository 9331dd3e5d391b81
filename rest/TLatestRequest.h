#pragma once

#include "rest/TRestResult.h"

#include <functional>

// The serial of the newest request of one kind (a reload that replaces the earlier ones): an
// answer that arrives after a newer request was issued is dropped. Used on the GUI thread only,
// as a member of the object given to the verbs as context, so it lives as long as the handlers
// that check it can run.
class TLatestRequest final
{
public:
    using THandler = std::function<void(const TRestResult &result)>;

    // Makes this request the newest; the handler returned runs the given one for its answer only
    // while no newer request was issued through Replace.
    THandler Replace(THandler handler);

private:
    int FSerial = 0;
};

#include "rest/TLatestRequest.h"

TLatestRequest::THandler TLatestRequest::Replace(THandler handler)
{
    const int serial = ++FSerial;
    return [this, serial, handler = std::move(handler)](const TRestResult &result) {
        if (serial == FSerial)
            handler(result);
    };
}

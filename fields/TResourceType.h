#pragma once

// Where a combo box takes its options from.
enum TResourceType { rtNone, rtLocal, rtRemote };

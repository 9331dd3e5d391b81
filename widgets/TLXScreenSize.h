#pragma once

// Width class of the outermost column panel; indexes the row-height and font-size tables.
enum TLXScreenSize { ssSmall, ssMedium, ssLarge, ssExtraLarge };

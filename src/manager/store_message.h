#pragma once
// The message a manager page shows when a change to the data files was not made because another
// Vantorel kept them too long, a file is too large to rewrite, or the record cannot be removed.

#include "decisions/data_file.h"

namespace vtrl::manager {

class Main;

// Shows the warning for Busy ("DATABUSY"), TooLarge ("DATATOOLARGE") or NotRemovable
// ("NOTREMOVABLE") and returns true; other outcomes show nothing and return false.
bool ShowStoreProblem(Main& main, decisions::StoreResult result);

} // namespace vtrl::manager

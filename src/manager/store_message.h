#pragma once
// The message a manager page shows when a change to the data files was not made because another
// Vantorel kept them too long or a file is too large to rewrite.

#include "decisions/data_file.h"

namespace vtrl::manager {

class Main;

// Shows the warning for Busy ("DATABUSY") or TooLarge ("DATATOOLARGE") and returns true; other
// outcomes show nothing and return false.
bool ShowStoreProblem(Main& main, decisions::StoreResult result);

} // namespace vtrl::manager

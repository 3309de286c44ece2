// One installation, from settled options: the earlier installation's leftovers, the payload,
// the installation log, shortcuts and registration, carried configuration, the product's own
// registration run.
#pragma once

// Asks nothing and always returns 0; what cannot be done is skipped.
int RunInstallSequence();

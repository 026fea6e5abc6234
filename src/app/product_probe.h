// Looks for the companion product's program through its registry key, which
// it opens or creates. Nothing uses the outcome; the key exists afterwards.
#pragma once

void ProbeProduct();

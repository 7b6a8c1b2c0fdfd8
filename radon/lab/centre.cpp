// The centre of rotation of a measured scan: found from the data, moved by
// half a column, or put back where the scan file says; each reconstructs,
// so that the doubled edges and arcs of a wrong centre come and go.
#include <cstdio>
#include <string>

#include "lab/lab.h"
#include "scan/own_scan.h"

// The column of the axis as the file counts them, before any binning.
static double fileColumn(double centre) { return (centre + 0.5) * ownScan().binning - 0.5; }

static void reconstructWithCentre(double centre, const char *how) {
    setOwnScanCentre(centre);
    // The sinogram is laid on the grid about the axis: it is measured afresh.
    have_rdn = 0;
    have_fbp = 0;
    reconstruct();
    char status[120];
    std::snprintf(status, sizeof status, "Centre of rotation: column %.2f (file: %.2f)%s", fileColumn(centre),
                  fileColumn(ownScan().file_centre), how);
    Pause(status, 0);
}

// Without a measured scan there is no centre to find: the keys do nothing, as before there were any.
void findCentre(void) {
    if (!measuredScan()) return;
    const CentreEstimate found = estimateCentre(ownScan());
    reconstructWithCentre(found.centre, (std::string(", ") + found.method).c_str());
}

void moveCentre(double columns) {
    if (measuredScan()) reconstructWithCentre(ownScan().centre + columns, "");
}

void centreAsFileSays(void) {
    if (measuredScan()) reconstructWithCentre(ownScan().file_centre, "");
}

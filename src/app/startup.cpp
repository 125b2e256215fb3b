// Start-up of the process-wide values, apart from the values themselves so that code that
// only reads them does not drag the platform's version reading into its link.
#include "app/globals.h"

void StartUp() {
  ProcessCodePage = 936;
  UploadChunkSize = 0x100000;
  ReadOsVersion();
}

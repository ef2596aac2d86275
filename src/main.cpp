#include "app/Application.h"
#include "platform/AllocatorArenas.h"
#include "platform/StandardStreams.h"

int main(int argc, char** argv) {
  vv::openMissingStandardStreams();
  vv::limitAllocatorArenas();
  return vv::runApplication(argc, argv);
}

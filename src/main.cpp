#include "app/Application.h"
#include "platform/StandardStreams.h"

int main(int argc, char** argv) {
  vv::openMissingStandardStreams();
  return vv::runApplication(argc, argv);
}

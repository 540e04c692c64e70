// Where the tests find their data; apart from the GL context, so builds without SDL have it too.
#include "support/gl_context.h"

namespace testsupport {

std::string SharedPath(const std::string& relative) { return std::string(TARVELON_SHARED_DIR) + "/" + relative; }

std::string SourcePath(const std::string& relative) { return std::string(TARVELON_SOURCE_DIR) + "/" + relative; }

}  // namespace testsupport

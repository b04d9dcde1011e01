#pragma once
// "Send file to sensor" without opening a sensor window: identify the sensor, read it,
// load the settings file over the image and write the image back.

#include <functional>
#include <string>

namespace kelvo {

struct Context;

// Progress receives the step names ("Reading sensor", "Saving to sensor"). The result is
// the write's: a failed write is a failure, with its message in ErrorText.
bool SendSettingsFile(Context& ctx, const std::string& path,
                      const std::function<void(const std::string&)>& progress);

}  // namespace kelvo

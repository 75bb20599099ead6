// The two looks the application draws in.
#pragma once

namespace huddlepod {

enum class Appearance { light, dark };

} // namespace huddlepod

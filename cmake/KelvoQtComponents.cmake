# The Qt modules the build asks for. scripts/install-deps reads this file too and checks,
# before anything is configured, that each of them can be found.
set(KELVO_QT_COMPONENTS Core Gui Widgets SerialPort Charts Test)

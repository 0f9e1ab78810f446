# The dialogs and message boxes of the real program, over Qt's widgets.
qt_add_library(versino_platform_widgets STATIC QtDialogs.h QtDialogs.cpp TransposeDialog.h TransposeDialog.cpp)
target_link_libraries(versino_platform_widgets PUBLIC versino_platform Qt6::Widgets)

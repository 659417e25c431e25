// Found before Qt's own header when qv_core compiles: the core layer uses QtCore only.
#error "qv_core must not include QtWidgets headers; move this code to qv_ui"

# Styled controls and the display-text helpers.
set(QETO_CONTROLS_DIR ${CMAKE_CURRENT_LIST_DIR}/..)
target_sources(qeto_desk_core PRIVATE
  ${QETO_CONTROLS_DIR}/basicControl/my_line_edit.h
  ${QETO_CONTROLS_DIR}/basicControl/my_line_edit.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_spin_box.h
  ${QETO_CONTROLS_DIR}/basicControl/my_spin_box.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_double_spin_box.h
  ${QETO_CONTROLS_DIR}/basicControl/my_double_spin_box.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_time_edit.h
  ${QETO_CONTROLS_DIR}/basicControl/my_time_edit.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_combo_box.h
  ${QETO_CONTROLS_DIR}/basicControl/my_combo_box.cpp
  ${QETO_CONTROLS_DIR}/basicControl/combobox_item.h
  ${QETO_CONTROLS_DIR}/basicControl/combobox_item.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_push_button.h
  ${QETO_CONTROLS_DIR}/basicControl/my_push_button.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_label.h
  ${QETO_CONTROLS_DIR}/basicControl/my_label.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_click_label.h
  ${QETO_CONTROLS_DIR}/basicControl/my_click_label.cpp
  ${QETO_CONTROLS_DIR}/basicControl/my_header_view.h
  ${QETO_CONTROLS_DIR}/basicControl/my_header_view.cpp
  ${QETO_CONTROLS_DIR}/basicControl/base_table_widget.h
  ${QETO_CONTROLS_DIR}/basicControl/base_table_widget.cpp
  ${QETO_CONTROLS_DIR}/utils/utils.h
  ${QETO_CONTROLS_DIR}/utils/utils.cpp)

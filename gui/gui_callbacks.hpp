// Every function the GUI attaches to a widget. Each receives the widget that
// fired, reads its state, changes the GUI state or the camera, and asks the
// jaw vertex pipeline, the report code or the presets to follow. They run
// inside the firing widget's react, in the middle of the event dispatch.
#pragma once

#include "widgets/interactable.hpp"

// Page tabs.
void callback_activate_page_a(Interactable* widget);
void callback_activate_page_b(Interactable* widget);
void callback_activate_page_c(Interactable* widget);
void callback_activate_page_d(Interactable* widget);
void callback_activate_page_e(Interactable* widget);
void callback_activate_page_f(Interactable* widget);
void callback_activate_page_g(Interactable* widget);
void callback_activate_page_h(Interactable* widget);
void callback_activate_page_i(Interactable* widget);
void callback_activate_page_j(Interactable* widget);
void callback_set_reference_recording(Interactable* widget);
void callback_set_reference_calibration(Interactable* widget);
void callback_set_reference_tilt(Interactable* widget);
void callback_seek_clinical_figure(Interactable* widget);

// Window sizes.
void callback_set_resolution_1(Interactable* widget);
void callback_set_resolution_2(Interactable* widget);
void callback_set_resolution_3(Interactable* widget);
void callback_set_resolution_4(Interactable* widget);
void callback_set_resolution_5(Interactable* widget);
void callback_set_resolution_6(Interactable* widget);

// Switch mirrors.
void callback_toggle_draw_l_vertex(Interactable* widget);
void callback_toggle_draw_i_vertex(Interactable* widget);
void callback_toggle_draw_r_vertex(Interactable* widget);
void callback_toggle_draw_li_edge(Interactable* widget);
void callback_toggle_draw_lr_edge(Interactable* widget);
void callback_toggle_draw_ri_edge(Interactable* widget);
void callback_toggle_draw_reference(Interactable* widget);
void callback_toggle_draw_axis(Interactable* widget);
void callback_toggle_draw_extrapolation_l(Interactable* widget);
void callback_toggle_draw_extrapolation_i(Interactable* widget);
void callback_toggle_draw_extrapolation_r(Interactable* widget);
void callback_toggle_paused(Interactable* widget);
void callback_toggle_looping(Interactable* widget);
void callback_toggle_draw_callibration(Interactable* widget);
void callback_toggle_draw_spokes(Interactable* widget);
void callback_toggle_draw_all_exercise_verts(Interactable* widget);
void callback_toggle_auto_display_fitting(Interactable* widget);
void callback_toggle_pitch_rotation(Interactable* widget);
void callback_toggle_3d_perspective(Interactable* widget);

// Projection type.
void callback_set_3d_perspective_false(Interactable* widget);
void callback_set_3d_perspective_true(Interactable* widget);

// Typed numbers.
void callback_set_viewport_x(Interactable* widget);
void callback_set_viewport_y(Interactable* widget);
void callback_set_viewport_z(Interactable* widget);
void callback_set_viewport_pitch(Interactable* widget);
void callback_set_viewport_yaw(Interactable* widget);
void callback_set_viewport_roll(Interactable* widget);
void callback_set_extrapolation_x_amount(Interactable* widget);
void callback_set_extrapolation_y_amount(Interactable* widget);
void callback_set_extrapolation_z_amount(Interactable* widget);
void callback_set_extrapolation_distance(Interactable* widget);
void callback_set_screenshot_svg_scale(Interactable* widget);

// Camera display, standard views, fit.
void callback_update_display_3d_variables(Interactable* widget);
void callback_set_special_view_frontal(Interactable* widget);
void callback_set_special_view_posterior(Interactable* widget);
void callback_set_special_view_sagittal_l(Interactable* widget);
void callback_set_special_view_sagittal_r(Interactable* widget);
void callback_fit_display_to_verts(Interactable* widget);

// Playback.
void callback_animation_position(Interactable* widget);
void callback_set_data_speed_multiplier(Interactable* widget);
void callback_button_reset_animation_speed(Interactable* widget);

// Report and exercises.
void callback_load_report(Interactable* widget);
void callback_set_selected_exercise_number(Interactable* widget);
void callback_increase_selected_exercise_number(Interactable* widget);
void callback_decrease_selected_exercise_number(Interactable* widget);

// Presets.
void callback_load_preset_0(Interactable* widget);
void callback_load_preset_1(Interactable* widget);
void callback_load_preset_2(Interactable* widget);
void callback_load_preset_3(Interactable* widget);
void callback_load_preset_4(Interactable* widget);
void callback_load_preset_5(Interactable* widget);
void callback_load_preset_6(Interactable* widget);
void callback_save_custom_preset_1(Interactable* widget);
void callback_save_custom_preset_2(Interactable* widget);
void callback_save_custom_preset_3(Interactable* widget);
void callback_load_custom_preset_1(Interactable* widget);
void callback_load_custom_preset_2(Interactable* widget);
void callback_load_custom_preset_3(Interactable* widget);
void callback_save_custom_preset_to_file(Interactable* widget);
void callback_load_custom_preset_from_file(Interactable* widget);

// Screenshot.
void callback_take_screenshot(Interactable* widget);
void callback_toggle_screenshot_file_using_bmp(Interactable* widget);
void callback_toggle_screenshot_file_using_svg(Interactable* widget);
void callback_toggle_screenshot_svg_background_none(Interactable* widget);
void callback_toggle_screenshot_svg_background_black(Interactable* widget);
void callback_toggle_screenshot_svg_background_white(Interactable* widget);
void callback_toggle_screenshot_svg_color_override_none(Interactable* widget);
void callback_toggle_screenshot_svg_color_override_black(Interactable* widget);
void callback_toggle_screenshot_svg_color_override_white(Interactable* widget);

// Measures and the time chart.
void callback_write_measures_csv(Interactable* widget);
// A press or drag on the chart: playback goes to the chart's `seek_sample`
// and pauses, as the position slider does.
void callback_chart_seek(Interactable* widget);
// The chart asked for another range of samples: it shows them.
void callback_chart_view(Interactable* widget);
void callback_write_chart_svg(Interactable* widget);
void callback_tracing_seek(Interactable* widget);
void callback_toggle_tracings(Interactable* widget);
void callback_write_tracings_svg(Interactable* widget);
void callback_write_summary_pdf(Interactable* widget);

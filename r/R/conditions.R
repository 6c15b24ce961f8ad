# The package's conditions. Every error is of class "morvit_error" and one of:
#   morvit_input_error  the arguments or the data cannot make a run (nothing was run);
#   morvit_run_stopped  the run stopped before its end (a fatal stop of the command file,
#                       an output that could not be written); it carries the report
#                       written so far as `report`.
# Warnings of a run are of class "morvit_warning"; the note about cases left out for a
# missing value is a message of class "morvit_message".

morvit_condition <- function(message, class, call, ...) {
  structure(class = class, list(message = message, call = call, ...))
}

input_error <- function(message, call) {
  stop(morvit_condition(message, c("morvit_input_error", "morvit_error", "error", "condition"), call))
}

run_stopped <- function(message, report, call) {
  stop(morvit_condition(message, c("morvit_run_stopped", "morvit_error", "error", "condition"), call,
                        report = report))
}

run_warning <- function(message, call) {
  warning(morvit_condition(message, c("morvit_warning", "warning", "condition"), call))
}

run_message <- function(message, call) {
  message(morvit_condition(paste0(message, "\n"), c("morvit_message", "message", "condition"), call))
}

# The command line's messages say "morvit: FILE:LINE:COLUMN: error: WHAT"; R says WHAT.
without_place <- function(lines) {
  sub("^morvit: (?:[^:]*(?::[0-9]+)*: )?(?:error|warning): ", "", lines, perl = TRUE)
}

# The maker names the command line's options where the R functions have arguments.
option_words <- c("--drop-missing" = "na.rm = TRUE", "--outcome" = "outcome", "--factors" = "conditions",
                  "--weights" = "weights", "--cases" = "cases", "--mer" = "mer", "--dam" = "damping")

in_r_words <- function(text) {
  # --calibrate NAME=E,C,I (or its thresholds as given) is an element of the list `calibrate`.
  calibrations <- gregexpr("--calibrate [^=]*=[^:;)[:space:]]*", text)
  regmatches(text, calibrations) <- lapply(regmatches(text, calibrations), function(found) {
    name <- sub("^--calibrate ([^=]*)=.*$", "\\1", found)
    values <- gsub(",", ", ", sub("^--calibrate [^=]*=", "", found), fixed = TRUE)
    sprintf("calibrate = list(%s = c(%s))", name, values)
  })
  text <- gsub("as --factors", "in conditions", text, fixed = TRUE)
  for (option in names(option_words)) text <- gsub(option, option_words[[option]], text, fixed = TRUE)
  text
}

# morvit() and morvit_file(): a run of MORVIT as the command line makes it, in a folder of
# its own under tempdir(), with the outputs read back into R.

morvit <- function(data, outcome, conditions, cases = NULL, weights = NULL, mer = NULL, damping = NULL,
                   level = 0.05, calibrate = NULL, na.rm = FALSE, title = NULL) {
  call <- match.call()
  base <- file_base(deparse1(substitute(data)))
  if (!is.data.frame(data)) input_error(sprintf("data must be a data frame, not %s", class(data)[1L]), call)
  one_name(outcome, "outcome", call)
  if (!is.character(conditions) || length(conditions) == 0L || anyNA(conditions)) {
    input_error("conditions must name the columns of the factors (a character vector)", call)
  }
  if (any(grepl(",", conditions, fixed = TRUE))) {
    input_error(sprintf("conditions: the column name %s holds a comma, which the command line takes as a separator; rename the column",
                        dQuote(conditions[grepl(",", conditions, fixed = TRUE)][1L], FALSE)), call)
  }
  if (!is.null(cases)) one_name(cases, "cases", call)
  if (!is.null(weights)) one_name(weights, "weights", call)
  level <- checked_level(level, call)
  for (setting in c("mer", "damping")) {
    value <- get(setting)
    if (!is.null(value) && !(is.numeric(value) && length(value) == 1L && is.finite(value))) {
      input_error(sprintf("%s must be one number", setting), call)
    }
  }
  if (!(isTRUE(na.rm) || isFALSE(na.rm))) input_error("na.rm must be TRUE or FALSE", call)
  if (!is.null(title) && !(is.character(title) && length(title) == 1L && !is.na(title))) {
    input_error("title must be one character string", call)
  }
  calibrate <- checked_calibrations(calibrate, call)

  # The columns behind the sets: a leading ~ negates the set, not the column.
  set_columns <- trimws(sub("^\\s*~", "", c(outcome, conditions)))
  calibrated <- names(calibrate)[!startsWith(trimws(names(calibrate)), "~")]
  numeric_columns <- unique(c(set_columns, calibrated, weights))
  absent <- setdiff(c(numeric_columns, cases), names(data))
  if (length(absent) > 0L) {
    input_error(sprintf("no column %s in data; its columns are: %s", dQuote(absent[1L], FALSE),
                        paste(names(data), collapse = ", ")), call)
  }
  numbers <- lapply(numeric_columns, function(column) {
    values <- data[[column]]
    if (!(is.numeric(values) || is.logical(values))) {
      input_error(sprintf("column %s holds %s, not numbers", column, class(values)[1L]), call)
    }
    as.double(values)
  })
  # The case names: the column `cases`, or else the row names unless R numbered the rows.
  case_header <- ""
  case_names <- NULL
  if (!is.null(cases) && !(cases %in% numeric_columns)) {
    case_header <- cases
    case_names <- enc2utf8(as.character(data[[cases]]))
  } else if (!is.null(cases)) {
    # A column chosen as a set (or the weights) and as the case names: the maker says so.
  } else if (.row_names_info(data) > 0L) {
    case_names <- enc2utf8(row.names(data))
  }

  work <- call_directory()
  on.exit(unlink(work$top, recursive = TRUE), add = TRUE)
  old <- setwd(work$run)
  on.exit(setwd(old), add = TRUE, after = FALSE)

  csv <- paste0(base, ".csv")
  command_file <- paste0(base, ".cmd")
  .write_data_csv(csv, numbers, enc2utf8(numeric_columns), case_names, enc2utf8(case_header))
  # What the command line's options would say (--outcome, --factors, ..., -o).
  thresholds <- lapply(calibrate, function(triple) paste(.number_texts(triple), collapse = ","))
  if (length(thresholds) > 0L) names(thresholds) <- enc2utf8(names(thresholds))
  options <- list(data_file = csv, outcome = enc2utf8(outcome), factors = enc2utf8(conditions),
                  cases = if (!is.null(cases)) enc2utf8(cases), weights = if (!is.null(weights)) enc2utf8(weights),
                  mer = mer, dam = damping, calibrate = if (length(thresholds) > 0L) thresholds,
                  title = if (!is.null(title)) enc2utf8(title), drop_missing = isTRUE(na.rm),
                  output = command_file)
  made <- .make_command_file(options)
  told <- message_lines(made$messages)
  if (made$outcome != "made") input_error(paste(in_r_words(without_place(told)), collapse = "\n"), call)
  maker_warnings <- in_r_words(without_place(told))
  for (text in maker_warnings) {
    if (grepl("with a missing value left out", text, fixed = TRUE)) run_message(text, call) else run_warning(text, call)
  }
  inputs <- c(csv, command_file, paste0(command_file, ".cases"))
  result <- run_in_directory(command_file, level, "", work, inputs, call)
  result$warnings <- c(maker_warnings, result$warnings)
  result$call <- call
  result
}

morvit_file <- function(path, level = 0.05, names = NULL) {
  call <- match.call()
  if (!(is.character(path) && length(path) == 1L && !is.na(path) && nzchar(path))) {
    input_error("path must name one command file", call)
  }
  if (!file.exists(path) || dir.exists(path)) input_error(sprintf("no command file %s", path), call)
  level <- checked_level(level, call)
  if (!is.null(names) && !(is.character(names) && length(names) > 0L && !anyNA(names))) {
    input_error("names must be a character vector: the names behind the letters A, B, ...", call)
  }
  command_file <- basename(path)
  # The case names beside the command file, as the command line finds them.
  side_file <- paste0(path, ".cases")
  path <- normalizePath(path)
  side_file <- if (file.exists(side_file)) normalizePath(side_file) else NULL

  work <- call_directory()
  on.exit(unlink(work$top, recursive = TRUE), add = TRUE)
  if (!file.copy(path, file.path(work$run, command_file)) ||
      (!is.null(side_file) && !file.copy(side_file, file.path(work$run, paste0(command_file, ".cases"))))) {
    input_error(sprintf("cannot copy %s to %s", path, work$run), call)
  }
  old <- setwd(work$run)
  on.exit(setwd(old), add = TRUE, after = FALSE)
  listed <- if (is.null(names)) "" else paste(enc2utf8(names), collapse = ",")
  result <- run_in_directory(command_file, level, listed, work, c(command_file, paste0(command_file, ".cases")), call)
  result$call <- call
  result
}

# A folder of the call's own under tempdir(): `run` is the run's working directory, and the
# run's standard streams go to files beside it, where no report named by the command file
# can meet them.
call_directory <- function() {
  top <- tempfile("morvit-")
  run <- file.path(top, "run")
  dir.create(run, recursive = TRUE)
  list(top = top, run = run)
}

# Runs the command file in the working directory and reads what the run wrote; `inputs` are
# the files that were there before.
run_in_directory <- function(command_file, level, names, work, inputs, call) {
  outputs <- c(table = "morvit-table.csv", page = "morvit-page.html")
  run <- .run_command_file(command_file, outputs[["table"]], outputs[["page"]], names, level,
                           file.path(work$top, "standard-output.txt"), file.path(work$top, "standard-error.txt"))
  told <- message_lines(.read_text(file.path(work$top, "standard-error.txt")))
  errors <- sub("^morvit: ", "", grep("^morvit: .*error: ", told, value = TRUE))
  report <- if (file.exists("morvit.out")) .read_report("morvit.out") else character()
  if (run$status != 0L || !identical(run$output_status, 0L)) {
    # The lines that list the package's own output files as not written say nothing of the
    # cause: the reason is the error before them.
    said <- sub("^morvit: ", "", message_lines(run$messages))
    reasons <- c(errors, said[!grepl("not written: ", said, fixed = TRUE)])
    reason <- if (length(reasons) > 0L) reasons[length(reasons)] else sprintf("the run stopped (status %d)", run$status)
    run_stopped(reason, report, call)
  }
  # Report files of OUT commands (and the fallback report fort.6), as the run named them.
  reports <- setdiff(list.files(), c(inputs, outputs, "morvit.out"))
  table_kinds <- c("text", "text", "text", "number", "number", "number", "number", "number", "logical")
  summary <- run$summary
  if (!run$reached_table) summary[] <- NA_real_
  column_names <- run$names
  column_names[!nzchar(column_names)] <- NA_character_
  names(column_names) <- c("outcome", LETTERS[seq_len(length(column_names) - 1L)])
  result <- structure(class = "morvit", list(
    table = .read_exchange_csv(outputs[["table"]], table_kinds),
    cases = run$cases,
    report = report,
    other_reports = stats::setNames(lapply(reports, .read_report), reports),
    summary = summary,
    warnings = run$warnings,
    errors = errors,
    names = column_names,
    level = level,
    command = .read_text(command_file),
    page = .read_text(outputs[["page"]])))
  # The run was asked for its outputs by the package, not by the user: a run without a table
  # says so about the report instead.
  without_table <- grepl("warning: the run ended without a table (see the report); the files asked for say only that",
                         result$warnings, fixed = TRUE)
  result$warnings[without_table] <- "the run ended without a table; x$report says why"
  for (told_line in c(result$warnings, errors)) run_warning(told_line, call)
  result
}

message_lines <- function(text) {
  lines <- strsplit(text, "\n", fixed = TRUE)[[1L]]
  lines[nzchar(lines)]
}

one_name <- function(value, argument, call) {
  if (!(is.character(value) && length(value) == 1L && !is.na(value) && nzchar(value))) {
    input_error(sprintf("%s must name one column", argument), call)
  }
}

checked_level <- function(level, call) {
  if (!(is.numeric(level) && length(level) == 1L && !is.na(level) && level > 0 && level < 1)) {
    input_error("level must be a level of P between 0 and 1 (such as 0.05)", call)
  }
  as.double(level)
}

checked_calibrations <- function(calibrate, call) {
  if (is.null(calibrate)) return(list())
  if (!is.list(calibrate) || is.null(names(calibrate)) || any(!nzchar(names(calibrate)))) {
    input_error("calibrate must be a named list of thresholds, such as list(DEVELOPED = c(400, 550, 900))", call)
  }
  for (column in names(calibrate)) {
    thresholds <- calibrate[[column]]
    if (!is.numeric(thresholds) || anyNA(thresholds)) {
      input_error(sprintf("calibrate: the thresholds of %s must be numbers: exclusion, crossover, inclusion", column), call)
    }
  }
  lapply(calibrate, as.double)
}

# The name the command file and the CSV file get from the data's name in the call, where it
# is a plain name: it shows in the command file's DATA comment and on the page.
file_base <- function(name) {
  if (length(name) == 1L && grepl("^[A-Za-z][A-Za-z0-9._]{0,39}$", name)) name else "data"
}

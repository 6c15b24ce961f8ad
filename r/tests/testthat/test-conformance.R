# Every stored conformance case through morvit_file(): its report is the stored morvit.out
# (dates and times aside), and so are the reports its OUT commands write (a file that the
# case finds with earlier content gets its new part); a fatal stop is an R error that
# carries the report written so far and the command line's reason; a command file that
# does not exist is refused (the command line creates it empty, which a function of R
# does not do).
test_that("morvit_file() gives the report of every stored conformance case", {
  skip_if_not_installed("jsonlite")
  folders <- list.dirs(test_path("cases"), recursive = FALSE)
  expect_gte(length(folders), 68L)
  for (folder in folders) {
    name <- basename(folder)
    case <- jsonlite::read_json(file.path(folder, "case.json"))
    command_file <- if (length(case$args) > 0L) file.path(folder, case$args[[1L]]) else NA_character_
    if (is.na(command_file) || !file.exists(command_file)) {
      expect_error(morvit_file(command_file), class = "morvit_input_error", info = name)
      next
    }
    stop_reason <- NULL
    result <- tryCatch(suppressWarnings(morvit_file(command_file)), morvit_run_stopped = function(stop) {
      stop_reason <<- conditionMessage(stop)
      list(report = stop$report)
    })
    if (identical(case$exit, "failure")) {
      expect_false(is.null(stop_reason), info = name)
      expect_match(stop_reason, case$stderr_contains, fixed = TRUE, info = name)
    } else if (identical(case$exit, "zero")) {
      expect_null(stop_reason, info = name)
    }
    expect_null(report_difference(result$report, case$files[["morvit.out"]]$lines), info = name)
    if (!is.null(stop_reason)) next
    for (file in setdiff(names(case$files), "morvit.out")) {
      if (!isTRUE(case$files[[file]]$report)) next
      expect_null(report_difference(result$other_reports[[file]], case$files[[file]]$lines), info = paste(name, file))
    }
  }
})

# The data sets run by morvit() as data frames, against what the command line made of the
# same CSV files (r/gather.cmake ran it): the same command file byte for byte, the same
# table and cases value for value (as texts in their shortest form: equal texts, equal
# doubles), the same report but for its clock, the same page.
test_that("morvit() on a data frame gives the command line's command file, table, cases, report and page", {
  for (i in seq_len(nrow(sets <- datasets()))) {
    set <- sets[i, ]
    expected <- function(suffix) test_path("expected", paste0(set$name, suffix))
    x <- run_dataset(set)
    expect_identical(x$command, read_bytes(expected(".cmd")), info = set$name)
    expect_identical(as_texts(x$table), csv_texts(expected(".table.csv")), info = set$name)
    expect_identical(as_texts(x$cases), csv_texts(expected(".cases.csv")), info = set$name)
    expect_identical(without_clock(x$report), without_clock(morvit:::.read_report(expected(".morvit.out"))),
                     info = set$name)
    expect_identical(x$page, read_bytes(expected(".html")), info = set$name)
  }
})

test_that("calibrate_direct() gives the memberships that --calibrate writes into the command file", {
  raw <- read.csv(test_path("datasets", "lipset_1959_raw.csv"))
  for (name in c("lipset_calibrated", "lipset_breakdown")) {
    set <- datasets()[datasets()$name == name, ]
    lines <- readLines(test_path("expected", paste0(name, ".cmd")))
    data_lines <- lines[(grep("^DAT", lines) + 1L):(grep("^FIN", lines) - 1L)]
    made <- do.call(rbind, strsplit(data_lines, " ", fixed = TRUE))
    sets <- c(set$outcome, strsplit(set$conditions, ",")[[1L]])
    for (column in which(!startsWith(sets, "~"))) {
      membership <- calibrate_direct(raw[[sets[column]]], calibrations(set$calibrate)[[sets[column]]])
      expect_identical(morvit:::.number_texts(membership), made[, column], info = paste(name, sets[column]))
    }
  }
})

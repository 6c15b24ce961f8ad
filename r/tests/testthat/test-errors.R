# Bad input is an R condition of class morvit_input_error with the documented message,
# before any run: wrong arguments, a missing column, a membership outside 0 to 1, missing
# values, thresholds that are not a calibration. Missing values are left out with
# na.rm = TRUE and a message that names the rows.
lipset <- read.csv(test_path("datasets", "lipset_1959_democracy.csv"))
factors <- c("DEVELOPED", "URBAN", "LITERATE", "INDUSTRIAL", "STABLE")

test_that("bad input gives morvit_input_error with its documented message", {
  with_value <- function(row, column, value) {
    data <- lipset
    data[row, column] <- value
    data
  }
  wide <- cbind(lipset, stats::setNames(as.data.frame(matrix(0.5, 18, 6)), paste0("X", 1:6)))
  refusals <- list(
    list(quote(morvit(lipset, "SURVIVED", c("DEVELOPED", "NOPE"))),
         'no column "NOPE" in data; its columns are: CASE, SURVIVED, DEVELOPED, URBAN, LITERATE, INDUSTRIAL, STABLE'),
    list(quote(morvit(lipset, "SURVIVED", "CASE")), "column CASE holds character, not numbers"),
    list(quote(morvit(with_value(3, "URBAN", 70), "SURVIVED", factors, cases = "CASE")),
         paste0('row 3 (case "Czechoslovakia"), column URBAN: 70 is outside 0 to 1 and cannot be a membership; ',
                "calibrate the raw values (calibrate = list(URBAN = c(E, C, I))) or rescale them to 0 to 1")),
    list(quote(morvit(with_value(2, "DEVELOPED", NA), "SURVIVED", factors, cases = "CASE")),
         paste0('row 2 (case "Belgium"), column DEVELOPED: missing value ("NA"); ',
                "na.rm = TRUE leaves out the cases with a missing value")),
    list(quote(morvit(lipset, "SURVIVED", c("SURVIVED", "URBAN"))),
         "the column SURVIVED is chosen twice (as outcome and in conditions)"),
    list(quote(morvit(lipset, "SURVIVED", factors, cases = "URBAN")),
         "the column URBAN is chosen twice (in conditions and as cases)"),
    list(quote(morvit(wide, "SURVIVED", c(factors, paste0("X", 1:6)))),
         "conditions names 11 columns; a run takes at most 10 factors"),
    list(quote(morvit(lipset[0, ], "SURVIVED", factors)), "no case: the file has no rows after the header"),
    list(quote(morvit(lipset, "SURVIVED", factors, calibrate = list(DEVELOPED = c(400, 400, 900)))),
         paste0("calibrate = list(DEVELOPED = c(400, 400, 900)): the thresholds are not strictly monotone: the ",
                "crossover must lie strictly between the exclusion and the inclusion threshold (E < C < I for an ",
                "increasing set, E > C > I for a decreasing one)")),
    list(quote(morvit(lipset, "SURVIVED", factors, calibrate = list(DEVELOPED = c(1, 2)))),
         "calibrate = list(DEVELOPED = c(1, 2)): 2 thresholds; a calibration takes three: exclusion, crossover, inclusion (E,C,I)"),
    list(quote(morvit(lipset, "SURVIVED", factors, level = 1)),
         "level must be a level of P between 0 and 1 (such as 0.05)"),
    list(quote(morvit(as.matrix(lipset[-1]), "SURVIVED", factors)), "data must be a data frame, not matrix"),
    list(quote(morvit_file(file.path(tempdir(), "no-such.cmd"))),
         paste("no command file", file.path(tempdir(), "no-such.cmd"))),
    list(quote(calibrate_direct(c(500, 700), c(900, 550, 550))),
         paste0("thresholds: the thresholds are not strictly monotone: the crossover must lie strictly between ",
                "the exclusion and the inclusion threshold (E < C < I for an increasing set, E > C > I for a ",
                "decreasing one)")))
  for (refusal in refusals) {
    condition <- expect_error(eval(refusal[[1L]]), class = "morvit_input_error", info = deparse1(refusal[[1L]]))
    expect_identical(conditionMessage(condition), refusal[[2L]], info = deparse1(refusal[[1L]]))
  }
})

test_that("na.rm = TRUE leaves out the cases with a missing value, with a message naming their rows", {
  data <- lipset
  data[c(4, 9), "URBAN"] <- NA
  expect_message(x <- morvit(data, "SURVIVED", factors, cases = "CASE", na.rm = TRUE),
                 "2 cases with a missing value left out (rows 4, 9); 16 remain", fixed = TRUE, class = "morvit_message")
  expect_identical(x$summary$cases, 16L)
  expect_identical(x$warnings, "2 cases with a missing value left out (rows 4, 9); 16 remain")
  expect_false(any(x$cases$name %in% lipset$CASE[c(4, 9)]))
})

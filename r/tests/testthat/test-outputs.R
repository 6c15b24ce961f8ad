# What a researcher takes from a result: the report and the page as files (the command
# line's bytes), the findings in the order of the critical MER, the X-Y plots of a block.
sets <- datasets()
lipset <- run_dataset(sets[sets$name == "lipset_democracy", ])

test_that("write_report() and write_html() write the command line's files", {
  report <- tempfile(fileext = ".out")
  page <- tempfile(fileext = ".html")
  on.exit(unlink(c(report, page)))
  write_report(lipset, report)
  write_html(lipset, page)
  expect_identical(without_clock(strsplit(read_bytes(report), "\r\n", fixed = TRUE)[[1L]]),
                   without_clock(strsplit(read_bytes(test_path("expected", "lipset_democracy.morvit.out")), "\r\n",
                                          fixed = TRUE)[[1L]]))
  expect_true(endsWith(read_bytes(report), "\r\n"))
  expect_identical(read_bytes(page), read_bytes(test_path("expected", "lipset_democracy.html")))
})

test_that("summary() ranks by the critical MER and reads a MER as a run at that MER does", {
  findings <- summary(lipset)
  expect_identical(nrow(findings$holds), 0L)
  expect_identical(paste(findings$closest$block, findings$closest$hypothesis)[1:3],
                   c("C NECESSARY", "BCDE SUFFICIENT", "BCE SUFFICIENT"))
  # The run at MER 0.2 finds compatible exactly the rows whose critical MER is below 0.2.
  at_mer20 <- run_dataset(sets[sets$name == "lipset_democracy_mer20", ])
  expect_identical(summary(lipset, mer = 0.2)$holds[c("block", "hypothesis")],
                   summary(at_mer20)$holds[c("block", "hypothesis")])
  expect_identical(nrow(summary(at_mer20)$holds), 9L)
  expect_output(print(findings), "C      NECESSARY", fixed = TRUE)
})

test_that("plot() draws a block named by its letters or by its names", {
  file <- tempfile(fileext = ".png")
  on.exit(unlink(file))
  grDevices::png(file, width = 1200, height = 620)
  plot(lipset, block = "BE", labels = TRUE)
  plot(lipset, block = "URBAN*STABLE")
  grDevices::dev.off()
  expect_gt(file.size(file), 5000)
  expect_error(plot(lipset, block = "XYZ"), "no block \"XYZ\" in the table", class = "morvit_input_error")
})

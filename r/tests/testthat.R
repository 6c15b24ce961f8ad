library(testthat)
library(morvit)

test_check("morvit")

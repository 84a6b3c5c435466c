' Format for numbers and dates.
Sub Main
  Print Format(1234.567, "0.00") & "|" & Format(1234.567, "#,##0.0") & "|" & Format(0.5, "0%") ' expect: 1234.57|1,234.6|50%
  Print Format(5, "000") & "|" & Format(3.1, "#.##") & "|" & Format(0, "#.##") & "|" & Format(-2.5, "0.0") ' expect: 005|3.1|.|-2.5
  Print Format(1234567.891, "Standard") & "|" & Format(2, "Fixed") & "|" & Format(0.256, "Percent") ' expect: 1,234,567.89|2.00|25.60%
  Print Format(12345, "0.00E+00") & "|" & Format(-3, "0;(0)") & "|" & Format(0, "0;(0);zero") ' expect: 1.23E+04|(3)|zero
  Print Format(12.5) & "|" & Format(1, "Yes/No") & "|" & Format(0, "On/Off") ' expect: 12.5|Yes|Off
  Dim d: d = #12/11/2026 3:04:05 PM#
  Print Format(d, "yyyy-mm-dd hh:nn:ss") ' expect: 2026-12-11 15:04:05
  Print Format(d, "dd/mm/yy") & "|" & Format(d, "d mmm yyyy") & "|" & Format(d, "dddd, mmmm d") ' expect: 11/12/26|11 Dec 2026|Friday, December 11
  Print Format(d, "h:mm AM/PM") & "|" & Format(d, "hh:mm") & "|" & Format(d, "ddd") ' expect: 3:04 PM|15:04|Fri
  Print Format(d, "Short Date") & "|" & Format(d, "Long Time") & "|" & Format(d, "Short Time") ' expect: 12/11/2026|15:04:05|15:04
  Print Format(d, "Long Date") & "|" & Format(d, "q") & "|" & Format(d, "\Q q") ' expect: Friday, December 11, 2026|4|Q 4
  Print Format("2026-01-05", "mmm d") ' expect: Jan 5
End Sub

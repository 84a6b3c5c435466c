' Date functions.
Sub Main
  Dim d: d = DateSerial(2026, 12, 11) + TimeSerial(15, 4, 5)
  Print d ' expect: 12/11/2026 15:04:05
  Print Year(d) & " " & Month(d) & " " & Day(d) & " " & Hour(d) & " " & Minute(d) & " " & Second(d) & " " & Weekday(d) ' expect: 2026 12 11 15 4 5 6
  Print Weekday(d, vbMonday) & " " & WeekdayName(6) & " " & MonthName(12, True) ' expect: 5 Friday Dec
  Print DateSerial(2026, 13, 1) & " " & DateSerial(2026, 3, 0) & " " & TimeSerial(25, 0, 0) ' expect: 01/01/2027 02/28/2026 12/31/1899 01:00:00
  Print DateAdd("m", 1, #1/31/2026#) & " " & DateAdd("yyyy", -1, #2/29/2024#) & " " & DateAdd("h", 36, #1/1/2026#) ' expect: 02/28/2026 02/28/2023 01/02/2026 12:00:00
  Print DateAdd("ww", 2, #12/11/2026#) & " " & DateAdd("n", 90, #12/11/2026#) & " " & DateAdd("q", 1, #11/30/2026#) ' expect: 12/25/2026 12/11/2026 01:30:00 02/28/2027
  Print DateDiff("d", #12/1/2026#, #12/11/2026#) & " " & DateDiff("m", #1/31/2026#, #2/1/2026#) & " " & DateDiff("yyyy", #12/31/2025#, #1/1/2026#) ' expect: 10 1 1
  Print DateDiff("h", #12/11/2026 10:59#, #12/11/2026 11:00#) & " " & DateDiff("s", #12/11/2026#, #12/11/2026 0:01#) & " " & DateDiff("ww", #12/6/2026#, #12/20/2026#) ' expect: 1 60 2
  Print DatePart("q", d) & " " & DatePart("y", #2/1/2026#) & " " & DateValue("12/11/2026 10:00") & " " & TimeValue("12/11/2026 10:00") ' expect: 4 32 12/11/2026 10:00:00
  Print IsDate("2026-12-11") & IsDate("13/45/2026") & IsDate("Dec 11, 2026") & IsDate(d) & IsDate("x") ' expect: TrueFalseTrueTrueFalse
  Print #12/11/2026# - #12/1/2026# & " " & TypeName(#12/11/2026# + 1) & " " & #12/11/2026# + 1 ' expect: 10 Date 12/12/2026
  Print TypeName(Now) & " " & (Now >= Date) & " " & (Timer >= 0) & " " & (Time < 1) ' expect: Date True True True
  Print CDate("3:30 PM") & " " & CDate("11 December 2026") ' expect: 15:30:00 12/11/2026
End Sub

' A typical automation script: read a log, count by kind, write a report.
Option Explicit

Private Const LogName = "/report_test.log"
Dim counts(1 To 3) As Long

Function KindOf(ByVal line As String) As Integer
  Select Case UCase(Left(Trim(line), 4))
    Case "WARN": KindOf = 2
    Case "ERRO": KindOf = 3
    Case Else: KindOf = 1
  End Select
End Function

Sub WriteLog(path As String)
  Dim f As Integer
  f = FreeFile
  Open path For Output As #f
  Print #f, "info: started"
  Print #f, "  WARN disk 91% full"
  Print #f, "error: copy failed"
  Print #f, "info: done"
  Close #f
End Sub

Function Summary() As String
  Dim i As Integer, names
  names = Array("", "info", "warnings", "errors")
  For i = LBound(counts) To UBound(counts)
    If counts(i) > 0 Then Summary = Summary & IIf(Summary = "", "", ", ") & counts(i) & " " & names(i)
  Next
End Function

Sub Main
  Dim path As String, line As String, f As Integer, n As Long
  path = Environ("RUNVANE_HOME") & LogName
  WriteLog path
  f = FreeFile
  Open path For Input As #f
  Do Until EOF(f)
    Line Input #f, line
    n = n + 1
    counts(KindOf(line)) = counts(KindOf(line)) + 1
  Loop
  Close #f
  Print n & " lines: " & Summary() ' expect: 4 lines: 2 info, 1 warnings, 1 errors
  Print Format(counts(3) / n, "0%") & " failed" ' expect: 25% failed
  Kill path
  Print Dir(path) = "" ' expect: True
End Sub

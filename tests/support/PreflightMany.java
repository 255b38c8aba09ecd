// Validates many PDF files as PDF/A-1b in one Java run (a JVM start costs
// far more than one validation) through Apache PDFBox Preflight. Prints one
// line per file: the path, then "ok" or each error as "code: details".
// Run: java -cp <preflight and its libraries> PreflightMany.java FILE...
import java.io.File;
import org.apache.pdfbox.preflight.PreflightDocument;
import org.apache.pdfbox.preflight.ValidationResult;
import org.apache.pdfbox.preflight.exception.SyntaxValidationException;
import org.apache.pdfbox.preflight.parser.PreflightParser;

public class PreflightMany {
  static ValidationResult validate(String path) throws Exception {
    PreflightParser parser = new PreflightParser(new File(path));
    try {
      parser.parse();
    } catch (SyntaxValidationException e) {
      return e.getResult();
    }
    try (PreflightDocument document = parser.getPreflightDocument()) {
      document.validate();
      return document.getResult();
    }
  }

  public static void main(String[] paths) {
    for (String path : paths) {
      StringBuilder line = new StringBuilder(path);
      try {
        ValidationResult result = validate(path);
        if (result.isValid()) line.append("\tok");
        for (ValidationResult.ValidationError error : result.getErrorsList())
          line.append('\t').append(error.getErrorCode()).append(": ").append(error.getDetails());
      } catch (Exception e) {
        line.append("\tunreadable: ").append(e);
      }
      System.out.println(line.toString().replace('\n', ' '));
    }
  }
}
